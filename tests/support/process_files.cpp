#include "tests/support/process_files.h"

#include <stdexcept>

#include "app/NoteFile.h"
#include "app/ProcessFile.h"
#include "app/ProcessHeader.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifiles.h"

namespace support {

std::string ProcessArchiveBytes(const ProcessFileSpec& spec) {
  if (spec.points < 1 || spec.points > app::MaxPoints(spec.channels))
    throw std::invalid_argument("a process of that many points does not fit the recorder");
  sim::RecorderModel model;
  model.SetSht21(spec.sht21);
  const int slot = model.AddProcess(sim::MakeProcess(spec.points, spec.channels, spec.start, spec.period));
  if (slot < 0) throw std::invalid_argument("the recorder cannot hold that process");
  const sim::Header header = model.HeaderAt(slot);
  const sim::Bytes data = model.ProcessData(slot);
  std::string bytes(header.begin(), header.end());
  bytes.append(data.begin(), data.end());
  return bytes;
}

std::string WriteProcessFile(const std::string& folder, const ProcessFileSpec& spec) {
  const std::string archive = ProcessArchiveBytes(spec);
  app::TProcessHeader header;
  std::copy_n(archive.begin(), 16, header.Bytes.begin());
  const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  const std::string name = app::ProcessFileName(header);
  // An archive file is a process file without notes; the notes go beside it.
  rtl::SaveFileAtomically(dir + name, app::BuildProcessFile(archive, "", ""));
  const std::string notes = dir + app::NoteFileNameFor(name);
  if (!spec.note1.empty()) rtl::WritePrivateProfileString("Note", "Note1", spec.note1.c_str(), notes.c_str());
  if (!spec.note2.empty()) rtl::WritePrivateProfileString("Note", "Note2", spec.note2.c_str(), notes.c_str());
  return dir + name;
}

}  // namespace support
