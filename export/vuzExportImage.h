// Page-to-picture exports: every object of a page draws itself on a bitmap
// (a metafile for EMF) at a chosen resolution, one picture per page or one
// tall picture of all pages, optionally cropped to what the objects cover.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/metafile.h"
#include "report/vuzClassServices.h"

namespace report {

class TfrxCustomImageExport : public TfrxCustomExportFilter {
  RTL_CLASS_INFO
 public:
  explicit TfrxCustomImageExport(rtl::TComponent* owner);
  TfrxCustomImageExport();
  ~TfrxCustomImageExport() override;

  int ShowModal() override;
  bool Start() override;
  void ExportObject(TfrxComponent* object) override;
  void Finish() override;
  void FinishPage(TfrxComponent* page, int index) override;
  void StartPage(TfrxComponent* page, int index) override;
  // Computes the file-name suffix; the subclasses write the picture.
  virtual void Save();
  // Crops when asked, saves, and lets the picture go also on failure.
  virtual void FinishExport();

  bool CropImages = false;
  int JPEGQuality = 90;
  bool Monochrome = false;
  int Resolution = 96;
  bool SeparateFiles = true;
  bool MultiImage = false;

  // Limits that keep a picture within memory: each side at most this many
  // pixels, and the whole picture at most kMaxPixels (a larger picture is cut
  // at the bottom, like one taller than kMaxSide).
  static constexpr int kMaxSide = 30000;
  static constexpr long long kMaxPixels = 1LL << 27;
  static constexpr int kMinResolution = 1, kMaxResolution = 1200;
  struct TPictureSize {
    int Width = 1, Height = 1;
  };
  // The picture of a width and height in report pixels at a scale, within
  // the limits above.
  static TPictureSize PictureSize(long double width, long double height, double scale);

  // The dialog, installed by the GUI companion; without one the filter runs
  // with its current settings.
  using DialogHandler = std::function<int(TfrxCustomImageExport&)>;
  static void SetDialogHandler(DialogHandler handler);

  // The file a picture goes to: FileName with suffix + DefaultExt.
  AnsiString PictureFileName() const;
  // Working state the tests read.
  gfx::TBitmap* Bitmap() const { return bitmap_.get(); }
  double Scale() const { return scale_; }

 protected:
  // Writes the picture into Stream or PictureFileName(), atomically for files.
  void WritePicture(const std::function<void(rtl::TStream&)>& writer);
  // TIFF, JPEG and GIF hand write errors to the report's silent mode.
  void WriteHandled(const std::function<void(rtl::TStream&)>& writer);
  virtual void NewPicture(int width, int height);
  void GrowExtent(long double left, long double top, long double width, long double height);
  void Crop();

  std::unique_ptr<gfx::TBitmap> bitmap_;
  int pageCounter_ = 0;
  int yOffset_ = 0;
  int minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
  double scale_ = 1;
  bool firstPage_ = true;
  AnsiString suffix_;
  double paperWidthMM_ = 0, paperHeightMM_ = 0;
  std::vector<AnsiString> written_;  // files of this run, removed when it fails

 private:
  void Defaults();
  void ForgetFailedFiles();
};

class TfrxBMPExport : public TfrxCustomImageExport {
  RTL_CLASS_INFO
 public:
  explicit TfrxBMPExport(rtl::TComponent* owner = nullptr);
  AnsiString GetDescription() const override;
  void Save() override;
};

class TfrxTIFFExport : public TfrxCustomImageExport {
  RTL_CLASS_INFO
 public:
  explicit TfrxTIFFExport(rtl::TComponent* owner = nullptr);
  AnsiString GetDescription() const override;
  void Save() override;
};

class TfrxJPEGExport : public TfrxCustomImageExport {
  RTL_CLASS_INFO
 public:
  explicit TfrxJPEGExport(rtl::TComponent* owner = nullptr);
  AnsiString GetDescription() const override;
  void Save() override;
};

class TfrxGIFExport : public TfrxCustomImageExport {
  RTL_CLASS_INFO
 public:
  explicit TfrxGIFExport(rtl::TComponent* owner = nullptr);
  AnsiString GetDescription() const override;
  void Save() override;
};

class TfrxPNGExport : public TfrxCustomImageExport {
  RTL_CLASS_INFO
 public:
  explicit TfrxPNGExport(rtl::TComponent* owner = nullptr);
  AnsiString GetDescription() const override;
  void Save() override;
};

class TfrxEMFExport : public TfrxCustomImageExport {
  RTL_CLASS_INFO
 public:
  explicit TfrxEMFExport(rtl::TComponent* owner = nullptr);
  ~TfrxEMFExport() override;
  AnsiString GetDescription() const override;
  bool Start() override;
  void ExportObject(TfrxComponent* object) override;
  void StartPage(TfrxComponent* page, int index) override;
  void FinishExport() override;
  // The constant scale of metafile pictures.
  static constexpr double kMetafileScale = 0.911;
  gfx::TMetafile* Metafile() const { return metafile_.get(); }

 private:
  void NewMetafile(int width, int height);
  std::unique_ptr<gfx::TMetafile> metafile_;
  std::unique_ptr<gfx::TMetafileCanvas> canvas_;
};

// The six picture filters, owned (and so registered) by owner. The program's
// window does not offer them; the report tool does.
void vuzCreatePictureExports(rtl::TComponent* owner);

// Creates the file and writes the bitmap as a GIF.
void GIFSaveToFile(const AnsiString& fileName, gfx::TBitmap& bitmap);

}  // namespace report
