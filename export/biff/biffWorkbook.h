// The in-memory workbook: sheets and every workbook-global table (fonts,
// number formats, cell formats, styles, shared strings, palette, pictures,
// formula sheet references, encryption). Equal fonts, cell formats and strings
// are stored once. Every adding operation takes the lock of its table, so
// several converter threads may fill one workbook.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "export/biff/biffEscher.h"
#include "export/biff/biffRC4.h"
#include "export/biff/biffRecords.h"
#include "export/biff/biffSheet.h"
#include "export/biff/biffStream.h"
#include "export/biff/durEdivazu.h"
#include "platform/rtl/threads.h"

namespace report {

class TBiffWorkbook : public TBiffObject {
 public:
  TBiffWorkbook();
  ~TBiffWorkbook() override;

  void LockSst() { sst_.Enter(); }
  void UnlockSst() { sst_.Leave(); }
  void LockFonts() { fonts_.Enter(); }
  void UnlockFonts() { fonts_.Leave(); }
  void LockXfs() { xfs_.Enter(); }
  void UnlockXfs() { xfs_.Leave(); }
  void LockSheets() { sheets_.Enter(); }
  void UnlockSheets() { sheets_.Leave(); }
  void LockStyles() { styles_.Enter(); }
  void UnlockStyles() { styles_.Leave(); }
  void LockColors() { colors_.Enter(); }
  void UnlockColors() { colors_.Leave(); }
  void LockPictures() { pictures_.Enter(); }
  void UnlockPictures() { pictures_.Leave(); }
  void LockFormats() { formats_.Enter(); }
  void UnlockFormats() { formats_.Leave(); }

  int AddSheet(std::unique_ptr<TBiffSheet> sheet);
  int GetSheetsCount() const { return sheetCount_.load(); }
  TBiffSheet* GetSheet(int index);
  int AddXF(std::unique_ptr<TBiffXF> xf);
  int AddFont(std::unique_ptr<TBiffFont> font);
  int GetFontsCount() const { return fontCount_.load(); }
  TBiffFont* GetFont(int listIndex);
  int AddFormat(const WideString& code, int number = -1);
  int SetFormat(int number, const WideString& code) { return AddFormat(code, number); }
  int AddString(const WideString& text);
  int AddString(std::unique_ptr<TBiffUCS> string);
  int StringsCount();
  int UniqueStringsCount();
  // The shared string at a table index, or nullptr.
  const TBiffUCS* GetString(int index);
  int AddStyle(std::unique_ptr<TBiffStyle> style);
  int AddColor(std::uint32_t color);
  int AddBlip(std::unique_ptr<TEscherPicture> picture);
  int AddBitmap(int blipType, rtl::TStream& stream);
  // An enhanced metafile's bytes with its size in pixels (at 96 per inch).
  int AddMetafile(const std::string& emfBytes, int widthPx, int heightPx);
  TBiffLinkTable* GetLinkTable();
  void SetPassword(const WideString& password);
  // The salt and verifier of the next password come from these bytes (tests).
  void SetEncryptionSeed(std::optional<std::string> seed) { encryptionSeed_ = std::move(seed); }
  void Flush(TBiffStream& stream) override;

  // Drawing groups and shapes, under the pictures lock (sheets on several
  // threads share the picture storage).
  TEscherGroup* AddDrawingGroup();
  TEscherShape* AddShape(TEscherGroup* group);
  TEscherStorage& Pictures() { return pictureStore_; }

  const std::array<std::uint32_t, 64>& Palette() const { return palette_; }
  int PaletteCount() const { return paletteCount_; }
  TBiffWindow Window;
  TBiffRC4* Encryption() const { return encryption_.get(); }

 private:
  int AddColorInternal(std::uint32_t color);

  TObjList<TBiffUCS> strings_;
  TListHashTable stringIndex_;
  TObjList<TBiffSheet> sheetList_;
  TObjList<TBiffStyle> styleList_;
  TObjList<TBiffUCS> formatList_;
  TEscherStorage pictureStore_;
  std::unique_ptr<TBiffLinkTable> linkTable_;
  std::once_flag linkTableOnce_;
  TObjList<TBiffFont> fontList_;
  TListHashTable fontIndex_;
  TObjList<TBiffXF> xfList_;
  TListHashTable xfIndex_;
  std::array<std::uint32_t, 64> palette_{};
  int paletteCount_ = 0;
  std::unique_ptr<TBiffRC4> encryption_;
  std::optional<std::string> encryptionSeed_;
  std::atomic<int> sheetCount_{0}, fontCount_{0};
  rtl::TCriticalSection sst_, fonts_, xfs_, sheets_, styles_, colors_, pictures_, formats_;
};

// The index of the entry closest to colour (sum of the bytes of entry XOR colour).
int NearestColor(const std::uint32_t* palette, int count, std::uint32_t color);
// Removes every carriage return, keeping the line feeds.
void ValidateLineBreaks(WideString& text);

}  // namespace report
