// The service bases through which the report core reaches code that lives
// elsewhere: the engine, the outline and prepared pages of the preview, the
// export filters, the compressor and crypter of template files, and wizards.
// An operation a subclass does not provide raises EAbstractError when called.
//
// The preview control is the preview layer's (TfrxCustomPreview in
// vuzClassReport.h is what the report asks of it); the designer is a window,
// its base is in the GUI companion vuzDesigner_gui.h.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/components.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/user_answers.h"
#include "platform/rtl/variant.h"
#include "report/vuzClass.h"
#include "report/vuzXML.h"

namespace gfx {
class TCanvas;
}

namespace report {

class TfrxCustomPreviewPages;
class TfrxCustomExportFilter;

enum TfrxProgressType { ptRunning, ptExporting, ptPrinting };
enum TfrxAddPageAction { apWriteOver, apAdd };

// ---------------------------------------------------------------- engine

class TfrxCustomEngine : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  explicit TfrxCustomEngine(TfrxComponent* report);
  ~TfrxCustomEngine() override;

  virtual long double GetPageHeight() { return PageHeight; }
  virtual void EndPage();
  virtual void BreakAllKeep() {}
  virtual void NewColumn();
  virtual void NewPage();
  virtual void ShowBand(TfrxComponent* band);
  virtual void ShowBand(const rtl::TClassInfo& bandClass);
  virtual long double HeaderHeight();
  virtual long double FooterHeight();
  virtual long double FreeSpace();
  virtual rtl::Variant GetAggregateValue(const AnsiString& name, const AnsiString& expression, TfrxComponent* band,
                                         int flags);
  virtual bool Run();

  // ShowBand with the report's object of that name taken as a band.
  void ShowBandByName(const AnsiString& name);
  // Asks the report to stop (its Terminated flag).
  void StopReport();
  bool GetDoublePass() const;
  TfrxComponent* Report() const { return report_; }
  // The notification list (objects to tell of engine events, not owned).
  std::vector<rtl::TObject*>& Notifies() { return notifies_; }

  int CurColumn = 0, CurVColumn = 0, CurLine = 0, CurLineThrough = 0;
  long double CurX = 0, CurY = 0;
  bool FinalPass = false;
  long double PageHeight = 0, PageWidth = 0;
  TfrxCustomPreviewPages* PreviewPages = nullptr;
  bool Running = false;
  rtl::TDateTime StartDate = 0, StartTime = 0;
  int TotalPages = 0;
  bool SecondScriptCall = false;
  // Ask the report to stop and read its double-pass switch (the report unit sets them).
  std::function<void(bool)> OnSetTerminated;
  std::function<bool()> OnGetDoublePass;

 private:
  TfrxComponent* report_;
  std::vector<rtl::TObject*> notifies_;
};

// ---------------------------------------------------------------- outline

class TfrxCustomOutline : public rtl::TPersistent {
 public:
  explicit TfrxCustomOutline(TfrxCustomPreviewPages* previewPages) : previewPages_(previewPages) {}
  virtual int GetCount();
  virtual void AddItem(const AnsiString& text, int top);
  virtual void LevelDown(int index);
  virtual void LevelRoot();
  virtual void LevelUp();
  virtual void GetItem(int index, AnsiString& text, int& page, int& top);
  // The entry after from moves to newTop on the next page, or on its own
  // page when nextPage is false (a block moved to the next column).
  virtual void ShiftItems(TfrxXMLItem* from, int newTop, bool nextPage = true);
  virtual TfrxXMLItem* GetCurPosition();
  TfrxCustomEngine* Engine() const;
  TfrxCustomPreviewPages* PreviewPages() const { return previewPages_; }
  TfrxXMLItem* CurItem = nullptr;

 private:
  TfrxCustomPreviewPages* previewPages_;
};

// ---------------------------------------------------------------- prepared pages

class TfrxCustomPreviewPages : public rtl::TObject {
 public:
  // Stores the report and makes the outline (the preview layer's factory).
  explicit TfrxCustomPreviewPages(TfrxComponent* report);
  ~TfrxCustomPreviewPages() override;
  // How the outline is made: the preview layer installs its TfrxOutline.
  using OutlineFactory = std::function<std::unique_ptr<TfrxCustomOutline>(TfrxCustomPreviewPages*)>;
  static void SetOutlineFactory(OutlineFactory factory);

  virtual int GetCount();
  virtual TfrxComponent* GetPage(int index);
  virtual TfrxPoint GetPageSize(int index);
  virtual void Clear();
  virtual void Initialize();
  virtual void AddObject(TfrxComponent* object);
  virtual void AddPage(TfrxComponent* page);
  virtual void AddSourcePage(TfrxComponent* page);
  virtual void AddToSourcePage(TfrxComponent* object);
  virtual void BeginPass();
  virtual void ClearFirstPassPages();
  virtual void CutObjects(int position);
  virtual void Finish();
  virtual void IncLogicalPageNumber();
  virtual void ResetLogicalPageNumber();
  virtual void PasteObjects(long double x, long double y);
  // The anchors after from move, the first of them to top, on the next page
  // or (nextPage false) on their own page.
  virtual void ShiftAnchors(int from, int top, bool nextPage = true);
  // An anchor with the text at the current page and the engine's CurY; the
  // page number (from 1) of the last anchor with that text, 1 when none.
  virtual void AddAnchor(const AnsiString& text);
  virtual int GetAnchorPage(const AnsiString& text);
  virtual void AddPicture(TfrxComponent* picture);
  virtual bool BandExists(TfrxComponent* band);
  virtual int GetCurPosition();
  virtual int GetAnchorCurPosition();
  virtual long double GetLastY(long double columnPosition);
  virtual int GetLogicalPageNo();
  virtual int GetLogicalTotalPages();
  virtual void AddEmptyPage(int index);
  virtual void DeletePage(int index);
  virtual void ModifyPage(int index, TfrxComponent* page);
  // The store's copy of that template page becomes a custom paper of that
  // size in pixels (an endless page's final size); nothing in the base.
  virtual void UpdatePageDimensions(TfrxComponent* /*page*/, long double /*width*/, long double /*height*/) {}
  virtual void DrawPage(int index, gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                        long double offsetY);
  virtual bool ObjectOver(int index, int x, int y, int button, unsigned shift, long double scale, long double offsetX,
                          long double offsetY, bool click, int& cursor, bool doubleClick);
  virtual void AddFrom(TfrxComponent* report);
  virtual void LoadFromStream(rtl::TStream& stream, bool allowPartialLoading = false);
  virtual void SaveToStream(rtl::TStream& stream);
  virtual bool LoadFromFile(const AnsiString& fileName, bool exceptionIfNotFound = false);
  virtual void SaveToFile(const AnsiString& fileName);
  virtual bool Print();
  virtual bool Export(TfrxCustomExportFilter* filter);

  TfrxAddPageAction AddPageAction = apWriteOver;
  int CurPage = -1;
  int CurPreviewPage = 0;
  TfrxCustomEngine* Engine = nullptr;
  int FirstPage = 0;
  TfrxCustomOutline* Outline() const { return outline_.get(); }
  TfrxComponent* Report() const { return report_; }

 private:
  std::unique_ptr<TfrxCustomOutline> outline_;
  TfrxComponent* report_;
};

// ---------------------------------------------------------------- export filters

// Raised by an export step to end the export quietly: a plain object, not
// an rtl::Exception, so no handler of errors takes it for one.
class EExportTerminated {};

class TfrxCustomExportFilter : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  // Registers itself in vuzExportFilters.
  explicit TfrxCustomExportFilter(rtl::TComponent* owner);
  // The parameterless form: never registered; whoever made it frees it.
  TfrxCustomExportFilter();
  ~TfrxCustomExportFilter() override;

  virtual AnsiString GetDescription() const { return AnsiString(); }
  // The dialog's modal result (rtl::TModalResult values); OK in the base.
  virtual int ShowModal() { return rtl::mrOk; }
  virtual bool Start() { return true; }
  virtual void ExportObject(TfrxComponent* object);
  virtual void Finish() {}
  virtual void FinishPage(TfrxComponent* /*page*/, int /*index*/) {}
  virtual void StartPage(TfrxComponent* /*page*/, int /*index*/) {}

  bool CurPage = false;
  bool ExportNotPrintable = false;
  AnsiString FileName;
  bool NoRegister = false;
  AnsiString PageNumbers;
  TfrxComponent* Report = nullptr;
  bool ShowDialog = true;
  rtl::TStream* Stream = nullptr;
  bool UseFileCache = true;
  AnsiString DefaultPath;
  bool ExportToTemp = false;
  bool ShowProgress = true;
  AnsiString DefaultExt, FileFilter;
  bool SuppressPageHeadersFooters = false;
  AnsiString ExportTitle;
  bool OverwritePrompt = false;
  std::unique_ptr<rtl::TStringList> CreatedFiles;
  rtl::TNotifyEvent OnBeginExport;
  rtl::TDateTime CreationTime = 0;
  bool DataOnly = false;

 private:
  void Init();
};

// ---------------------------------------------------------------- compressor, crypter, wizard

class TfrxCustomCompressor : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  // Becomes the registered compressor class until freed; a subclass passes
  // its own class (C++ knows only the base's while the base is made).
  explicit TfrxCustomCompressor(rtl::TComponent* owner, const rtl::TClassInfo& cls = StaticClass());
  ~TfrxCustomCompressor() override;
  // True when the source was compressed and is now unpacked into Stream().
  virtual bool Decompress(rtl::TStream& source);
  // Packs Stream() into the destination.
  virtual void Compress(rtl::TStream& dest);
  // A memory stream for templates or without the file cache, else a new
  // temporary file in EngineOptions.TempDir.
  void CreateStream();
  rtl::TStream* Stream() const { return stream_.get(); }
  bool IsFR3File = true;  // the stream is a template (always in memory)
  TfrxComponent* Report = nullptr;
  // The report's EngineOptions that CreateStream reads (the report unit sets them).
  bool UseFileCache = false;
  AnsiString TempDir;

 protected:
  std::unique_ptr<rtl::TStream> stream_;

 private:
  const rtl::TClassInfo* previous_;
  AnsiString tempFile_;
};

// The compressor of template and prepared-report files: gzip members.
class TfrxGZipCompressor : public TfrxCustomCompressor {
  RTL_CLASS_INFO
 public:
  explicit TfrxGZipCompressor(rtl::TComponent* owner) : TfrxCustomCompressor(owner, StaticClass()) {}
  bool Decompress(rtl::TStream& source) override;
  void Compress(rtl::TStream& dest) override;
};

class TfrxCustomCrypter : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  explicit TfrxCustomCrypter(rtl::TComponent* owner, const rtl::TClassInfo& cls = StaticClass());
  virtual bool Decrypt(rtl::TStream& source, const AnsiString& key);
  virtual void Crypt(rtl::TStream& dest, const AnsiString& key);
  void CreateStream() { stream_ = std::make_unique<rtl::TMemoryStream>(); }
  rtl::TStream* Stream() const { return stream_.get(); }

 protected:
  std::unique_ptr<rtl::TStream> stream_;
};

class TfrxCustomWizard : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  // The owner is the designer.
  explicit TfrxCustomWizard(rtl::TComponent* owner);
  virtual AnsiString GetDescription() const { return AnsiString(); }
  virtual bool Execute();
  rtl::TComponent* Designer() const { return designer_; }

 private:
  rtl::TComponent* designer_;
};

// The registered compressor and crypter classes (nil until one is made).
const rtl::TClassInfo* vuzCompressorClass();
const rtl::TClassInfo* vuzCrypterClass();

}  // namespace report
