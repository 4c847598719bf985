// The process-wide language table: every user-visible text of the report
// engine, its preview, exports and workbook export, looked up by key. Texts
// are held as wide strings and handed out as 8-bit text in the table's code
// page (1251), whatever the system's code page is.
#pragma once
#include <functional>
#include <map>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/strings.h"
#include "report/vuzGraphicUtils.h"
#include "report/vuzUnicodeUtils.h"

namespace report {

class TfrxResources {
 public:
  TfrxResources();
  TfrxResources(const TfrxResources&) = delete;
  TfrxResources& operator=(const TfrxResources&) = delete;

  // The text under the key (case ignored), or the key itself; one leading
  // "!" is dropped from either.
  AnsiString Get(const AnsiString& key) const;
  // A new key is appended; an existing key's text is replaced in place.
  void AddW(const AnsiString& key, const WideString& text);
  void Add(const AnsiString& key, const AnsiString& text);
  // Lines "key=value"; lines with an empty key or value are skipped.
  void AddStrings(const AnsiString& lines);
  void AddXML(const std::string& xml);
  void LoadFromStream(rtl::TStream& stream);
  // A missing file is ignored.
  void LoadFromFile(const AnsiString& fileName);
  void Clear();
  // Copies the script engine's seventeen messages from the table.
  void UpdateFSResources();

  int Count() const { return texts_.Count(); }
  int CodePage() const { return codePage_; }

  // The language files (*.frc) beside the program, as "English", "Deutsch".
  void BuildLanguagesList();
  const rtl::TStringList& Languages() const { return languages_; }

  // Image lists, filled from their picture strips on first use. Only the
  // preview's strip exists here; asking for another raises EResNotFound.
  TfrxImageList& GetMainButtonImages();
  TfrxImageList& GetDisabledButtonImages() {
    GetMainButtonImages();
    return disabledButtonImages_;
  }
  TfrxImageList& GetPreviewButtonImages();
  TfrxImageList& GetObjectImages();
  TfrxImageList& GetWizardImages();
  // Cells of 16 x 16 in pairs: the first to the main list, the second to the
  // disabled list.
  void SetButtonImages(const gfx::TBitmap& strip, bool clear = false);
  void SetPreviewButtonImages(const gfx::TBitmap& strip, bool clear = false);
  void SetObjectImages(const gfx::TBitmap& strip, bool clear = false);
  void SetWizardImages(const gfx::TBitmap& strip, bool clear = false);

  AnsiString HelpFile = "VIDudo.chm";
  // Opens the help file at the page of the asking window's class (none: the
  // start page).
  void Help(const AnsiString& senderClassName = {});

 private:
  struct KeyLess {
    bool operator()(const AnsiString& a, const AnsiString& b) const;
  };
  std::map<AnsiString, int, KeyLess> keys_;  // key -> index into texts_
  TWideStrings texts_;
  rtl::TStringList languages_;
  int codePage_ = 0;
  TfrxImageList disabledButtonImages_{16, 16};
  TfrxImageList mainButtonImages_{16, 16};
  TfrxImageList objectImages_{16, 16};
  TfrxImageList previewButtonImages_{16, 16};
  TfrxImageList wizardImages_{32, 32};
};

// A picture strip the program does not carry.
class EResNotFound : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// The process-wide table, made (with the core texts) by the first call.
TfrxResources& vuzResources();
// Get of the number in decimal.
AnsiString vuzGet(int id);

// The core table: 227 texts as the built-in XML language table.
const std::string& vuzCoreResourceXML();

// Shows a help file. By default the file part of the path (before "::/") is
// opened with the desktop's associated program when the file exists; tests
// and other hosts install their own viewer.
using THelpViewer = std::function<void(const AnsiString& path)>;
void vuzSetHelpViewer(THelpViewer viewer);
// The default viewer: answers whether an opener was started (false when the
// help file does not exist). wait: until the opener ends.
bool vuzOpenHelpFile(const AnsiString& path, bool wait = false);
// path is "file" or "file::/page.htm"; the owner window is the application's.
void vuzDisplayHHTopic(const AnsiString& path);

}  // namespace report
