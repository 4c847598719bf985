#include "platform/rtl/codepage_converters.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

#include "platform/rtl/exceptions.h"

namespace rtl::detail {
namespace {

constexpr const char* kWideName = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1250: return "CP1250";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    case 10007: return "MAC-CYRILLIC";
    default: return nullptr;
  }
}

[[noreturn]] void Unsupported(unsigned codePage) {
  throw EConvertError("Code page " + std::to_string(codePage) + " is not supported");
}

// One pair of converters per code page, opened on first use. A converter
// keeps shift state, so each conversion holds the page's lock throughout.
class PageConverter {
 public:
  explicit PageConverter(unsigned codePage) {
    const char* name = IconvName(codePage);
    if (name == nullptr) Unsupported(codePage);
    toWide_ = iconv_open(kWideName, name);
    fromWide_ = iconv_open(name, kWideName);
    if (toWide_ == kInvalid || fromWide_ == kInvalid) {
      Close();
      Unsupported(codePage);
    }
  }
  ~PageConverter() { Close(); }
  PageConverter(const PageConverter&) = delete;
  PageConverter& operator=(const PageConverter&) = delete;

  std::u16string ToWide(std::string_view s) {
    std::lock_guard lock(mutex_);
    iconv(toWide_, nullptr, nullptr, nullptr, nullptr);
    std::u16string out;
    out.reserve(s.size());
    char* in = const_cast<char*>(s.data());
    std::size_t inLeft = s.size();
    char16_t buffer[256];
    // Pages with combining marks hold the last character back until they
    // see what follows; flushing writes it out.
    auto flush = [&] {
      char* dst = reinterpret_cast<char*>(buffer);
      std::size_t dstLeft = sizeof buffer;
      iconv(toWide_, nullptr, nullptr, &dst, &dstLeft);
      out.append(buffer, (sizeof buffer - dstLeft) / sizeof(char16_t));
    };
    while (inLeft > 0) {
      char* dst = reinterpret_cast<char*>(buffer);
      std::size_t dstLeft = sizeof buffer;
      const std::size_t r = iconv(toWide_, &in, &inLeft, &dst, &dstLeft);
      const int error = r == static_cast<std::size_t>(-1) ? errno : 0;
      out.append(buffer, (sizeof buffer - dstLeft) / sizeof(char16_t));
      if (error == EILSEQ) {
        // Skip the offending byte and carry on with the next one.
        flush();
        out.push_back(0xFFFD);
        ++in;
        --inLeft;
      } else if (error == EINVAL) {
        // The text ends inside a multibyte character.
        flush();
        out.push_back(0xFFFD);
        return out;
      }
    }
    flush();
    return out;
  }

  std::string FromWide(std::u16string_view s) {
    std::lock_guard lock(mutex_);
    iconv(fromWide_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(s.size() * 2);
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(s.data()));
    std::size_t inLeft = s.size() * sizeof(char16_t);
    char buffer[512];
    while (inLeft > 0) {
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      const std::size_t r = iconv(fromWide_, &in, &inLeft, &dst, &dstLeft);
      const int error = r == static_cast<std::size_t>(-1) ? errno : 0;
      out.append(buffer, sizeof buffer - dstLeft);
      if (error == EILSEQ || error == EINVAL) {
        // A character the page lacks, a lone surrogate or one cut off at the end.
        dst = buffer;
        dstLeft = sizeof buffer;
        iconv(fromWide_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, sizeof buffer - dstLeft);
        out.push_back('?');
        const std::size_t at = s.size() - inLeft / sizeof(char16_t);
        const bool pair =
            at + 1 < s.size() && s[at] >= 0xD800 && s[at] <= 0xDBFF && s[at + 1] >= 0xDC00 && s[at + 1] <= 0xDFFF;
        const std::size_t skip = (pair ? 2 : 1) * sizeof(char16_t);
        in += skip;
        inLeft -= skip;
      }
    }
    // Stateful pages write their closing shift sequence here.
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(fromWide_, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, sizeof buffer - dstLeft);
    return out;
  }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

  void Close() {
    if (toWide_ != kInvalid) iconv_close(toWide_);
    if (fromWide_ != kInvalid) iconv_close(fromWide_);
    toWide_ = fromWide_ = kInvalid;
  }

  std::mutex mutex_;
  iconv_t toWide_ = kInvalid;
  iconv_t fromWide_ = kInvalid;
};

PageConverter& ConverterFor(unsigned codePage) {
  static std::mutex mutex;
  static std::map<unsigned, std::unique_ptr<PageConverter>> converters;
  std::lock_guard lock(mutex);
  auto& slot = converters[codePage];
  if (!slot) {
    try {
      slot = std::make_unique<PageConverter>(codePage);
    } catch (...) {
      converters.erase(codePage);
      throw;
    }
  }
  return *slot;
}

}  // namespace

bool HasConverter(unsigned codePage) { return IconvName(codePage) != nullptr; }

std::u16string ConvertToWide(std::string_view s, unsigned codePage) {
  if (!HasConverter(codePage)) Unsupported(codePage);
  if (s.empty()) return {};
  return ConverterFor(codePage).ToWide(s);
}

std::string ConvertFromWide(std::u16string_view s, unsigned codePage) {
  if (!HasConverter(codePage)) Unsupported(codePage);
  if (s.empty()) return {};
  return ConverterFor(codePage).FromWide(s);
}

}  // namespace rtl::detail
