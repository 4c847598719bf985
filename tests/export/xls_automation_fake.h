// A recording automation server for the spreadsheet export's tests: every
// call is written to a shared log as one line ("Range(A1:B2).Style = S3"),
// and every get or method answers a new recorder whose path is that call.
// Positions of pictures read back as 0; a call whose line contains one of
// the failing texts raises EOleError.
#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "export/vuzAutomation.h"
#include "platform/rtl/variant.h"

namespace exporttest {

struct RecordingLog {
  std::vector<std::string> lines;
  std::vector<std::string> failing;
  // Lines holding text, in order.
  std::vector<std::string> With(const std::string& text) const {
    std::vector<std::string> out;
    for (const std::string& l : lines)
      if (l.find(text) != std::string::npos) out.push_back(l);
    return out;
  }
};

inline std::string ArgText(const rtl::Variant& v) {
  if (report::OleIsEmptyParam(v)) return "_";
  if (v.IsBoolean()) return v.AsBoolean() ? "true" : "false";
  if (v.IsArray()) return "[array]";
  if (v.IsOrdinal()) return std::to_string(v.AsInt64());
  if (v.IsFloat()) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v.AsDouble());
    return buf;
  }
  if (v.Type() == rtl::varDispatch) return "[object]";
  return rtl::WideToUtf8(v.AsWideString());
}

class Recorder : public rtl::DispatchObject {
 public:
  Recorder(std::shared_ptr<RecordingLog> log, std::string path) : log_(std::move(log)), path_(std::move(path)) {}

  rtl::Variant Invoke(std::string_view name, rtl::DispatchKind kind, std::span<rtl::Variant> args) override {
    std::string line = path_.empty() ? std::string(name) : path_ + "." + std::string(name);
    const bool put = kind == rtl::DispatchKind::PropertyPut;
    if (!put && !args.empty()) {
      line += "(";
      for (std::size_t i = 0; i < args.size(); ++i) line += (i ? "," : "") + ArgText(args[i]);
      line += ")";
    }
    const std::string call = put ? line + " = " + (args.empty() ? std::string() : ArgText(args[0])) : line;
    log_->lines.push_back(call);
    for (const std::string& f : log_->failing)
      if (call.find(f) != std::string::npos) throw report::EOleError("failing on purpose: " + call);
    if (put) return {};
    // A save writes a file, as the application would.
    if (name == "SaveAs" && !args.empty()) {
      if (std::FILE* f = std::fopen(args[0].AsString().c_str(), "wb")) {
        std::fputs("recorded", f);
        std::fclose(f);
      }
      return {};
    }
    if (name == "Left" || name == "Top") return rtl::Variant(0.0);
    return rtl::Variant::FromDispatch(new Recorder(log_, line));
  }

 private:
  std::shared_ptr<RecordingLog> log_;
  std::string path_;
};

// Registers a recorder as "Excel.Application" while it lives.
class RecordingServer {
 public:
  RecordingServer() : log(std::make_shared<RecordingLog>()) {
    auto l = log;
    report::vuzRegisterAutomationServer("Excel.Application",
                                        [l] { return rtl::Variant::FromDispatch(new Recorder(l, "")); });
  }
  ~RecordingServer() { report::vuzRegisterAutomationServer("Excel.Application", {}); }
  RecordingServer(const RecordingServer&) = delete;
  RecordingServer& operator=(const RecordingServer&) = delete;
  std::shared_ptr<RecordingLog> log;
};

}  // namespace exporttest
