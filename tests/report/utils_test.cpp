#include <gtest/gtest.h>

#include "platform/gui/dialogs.h"
#include "platform/rtl/files.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"
#include "test_util.h"

using namespace report;
using namespace report_test;
using rtl::TMemoryStream;
using namespace rtl::literals;

TEST(BracketScan, TableOfCases) {
  struct Case {
    std::string text, open, close;
    int i;
    std::string result;
    int iOut, jOut;
  } cases[] = {
      {"[a]", "[", "]", 1, "a", 1, 3},
      {"a[b[c]d]e", "[", "]", 2, "b[c]d", 2, 8},
      {"[x']'y]", "[", "]", 1, "x']'y", 1, 7},
      {"[x\"]\"y]", "[", "]", 1, "x\"]\"y", 1, 7},
      {"ab[c]", "[", "]", 1, "", 1, 1},   // not on an open bracket
      {"]ab[c]", "[", "]", 1, "", 1, 1},  // a close bracket first
      {"x<%a%>y", "<%", "%>", 2, "a", 2, 6},
      {"[]", "[", "]", 1, "", 1, 2},
      {"", "[", "]", 1, "", 1, 1},
      {"[a", "[", "]", 5, "", 5, 5},       // beyond the text
      {"[abc", "[", "]", 1, "abc", 1, 4},  // never closed: the rest, j at the end
      {"[Page#] of [TotalPages#]", "[", "]", 12, "TotalPages#", 12, 24},
  };
  for (const auto& c : cases) {
    int i = c.i, j = -1;
    EXPECT_EQ(vuzGetBrackedVariable(c.text, c.open, c.close, i, j), c.result) << c.text;
    EXPECT_EQ(i, c.iOut) << c.text;
    EXPECT_EQ(j, c.jOut) << c.text;
    // The wide form scans the same way.
    int wi = c.i, wj = -1;
    const WideString w =
        vuzGetBrackedVariableW(rtl::AnsiToWide(c.text), rtl::AnsiToWide(c.open), rtl::AnsiToWide(c.close), wi, wj);
    EXPECT_EQ(rtl::WideToAnsi(w), c.result) << c.text;
    EXPECT_EQ(wj, c.jOut) << c.text;
  }
}

TEST(TextHelpers, SmallRoutines) {
  EXPECT_EQ(vuzRemoveQuotes("\"\""), "\"\"");
  EXPECT_EQ(vuzRemoveQuotes("\"a\""), "a");
  EXPECT_EQ(vuzRemoveQuotes("\"a"), "\"a");
  EXPECT_EQ(vuzReverseString("abc"), "cba");
  EXPECT_EQ(vuzUnixPath2WinPath("a/b/c"), "a\\b\\c");
  EXPECT_EQ(PosEx("b", "abcb"), 2);
  EXPECT_EQ(PosEx("b", "abcb", 3), 4);
  EXPECT_EQ(PosEx("b", "abcb", 5), 0);
  EXPECT_EQ(PosEx("", "abc"), 0);
}

TEST(StreamHex, ToAndFromText) {
  TMemoryStream s(std::string("\x0A\xFF\x00", 3));
  s.SetPosition(1);
  EXPECT_EQ(vuzStreamToString(s), "0AFF00");
  EXPECT_EQ(s.Position(), 3);
  // A reused stream keeps no stale bytes after what is written.
  TMemoryStream reused(std::string("0123456789"));
  vuzStringToStream("0aff00", reused);
  EXPECT_EQ(reused.Bytes(), std::string("\x0A\xFF\x00", 3));
  vuzStringToStream("", reused);
  EXPECT_EQ(reused.Bytes(), "");
  vuzStringToStream("414", reused);  // an odd digit is dropped
  EXPECT_EQ(reused.Bytes(), "A");
}

TEST(RectArea, InterceptsOnlyRealOverlaps) {
  TfrxRectArea a(0, 0, 10, 10), touching(10, 0, 20, 10), overlapping(9.999, 9.999, 20, 20);
  EXPECT_FALSE(a.InterceptsX(touching));
  EXPECT_TRUE(a.InterceptsX(overlapping));
  EXPECT_TRUE(a.InterceptsY(overlapping));
  EXPECT_EQ(a.InterceptX(touching), nullptr);
  auto x = a.InterceptX(overlapping);
  ASSERT_NE(x, nullptr);
  EXPECT_DOUBLE_EQ(static_cast<double>(x->X), 9.999);
  EXPECT_DOUBLE_EQ(static_cast<double>(x->X1), 10);
  EXPECT_EQ(x->Y, 0);
  auto y = a.InterceptY(overlapping);
  EXPECT_DOUBLE_EQ(static_cast<double>(y->Y), 9.999);
  EXPECT_EQ(y->X1, 0);
  EXPECT_EQ(Max(1, 2), 2);
  EXPECT_EQ(Min(1, 2), 1);
  const TfrxRect r = vuzRect(1, 2, 3, 4);
  EXPECT_EQ(r.Bottom, 4);
  EXPECT_EQ(vuzPoint(5, 6).Y, 6);
}

TEST(TempFiles, CreatedEmptyAndUnique) {
  const support::ScratchFolder scratch("zarnik-report-temp-");
  const auto& dir = scratch.Folder();
  const AnsiString folder = dir.string();
  const AnsiString a = vuzCreateTempFile(folder), b = vuzCreateTempFile(folder + "/");
  EXPECT_NE(a, b);
  EXPECT_TRUE(rtl::FileExists(a));
  EXPECT_EQ(std::filesystem::file_size(a), 0u);
  EXPECT_EQ(std::filesystem::path(a).filename().string().rfind("fr", 0), 0u);
  EXPECT_EQ(std::filesystem::path(a).parent_path(), dir);
  EXPECT_THROW(vuzCreateTempFile(folder + "/missing"), rtl::EFCreateError);
  const AnsiString t = GetTempFile();
  EXPECT_TRUE(rtl::FileExists(t));
  EXPECT_EQ(t.rfind(GetTemporaryFolder(), 0), 0u);
  rtl::DeleteFile(t);
  EXPECT_FALSE(GetAppPath().empty());
  EXPECT_EQ(GetAppPath().back(), '/');
}

TEST(Messages, CaptionsIconsAndSilentModes) {
  gui::DialogScript script;
  script.AnswerMessageBox(gui::IDOK);
  script.AnswerMessageBox(gui::IDOK);
  script.AnswerMessageBox(gui::IDNO);
  vuzErrorMsg("bad");
  vuzInfoMsg("note");
  EXPECT_EQ(vuzConfirmMsg("sure?", gui::MB_YESNO), gui::IDNO);
  const auto& shown = script.MessageBoxes();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].Text, "bad");
  EXPECT_EQ(shown[0].Caption, std::string("Ошибка"_cp));
  EXPECT_EQ(shown[0].Flags, gui::MB_OK | gui::MB_ICONERROR);
  EXPECT_EQ(shown[1].Caption, std::string("Информация"_cp));
  EXPECT_EQ(shown[1].Flags, gui::MB_OK | gui::MB_ICONINFORMATION);
  EXPECT_EQ(shown[2].Caption, std::string("Подтверждение"_cp));
  EXPECT_EQ(shown[2].Flags, gui::MB_YESNO | gui::MB_ICONQUESTION);

  vuzCommonErrorHandler(simSilent, "quiet");
  EXPECT_EQ(shown.size(), 3u);
  vuzCommonErrorHandler(simMessageBoxes, "loud");
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[3].Text, "loud");
  try {
    vuzCommonErrorHandler(simReThrow, "thrown");
    ADD_FAILURE();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "thrown");
  }
}

namespace {
std::vector<std::string> Items(const rtl::TStrings& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Get(i));
  return v;
}
using V = std::vector<std::string>;
}  // namespace

TEST(PageNumbers, TableOfRanges) {
  struct Case {
    const char* pages;
    int total;
    V expected;
  } cases[] = {
      {"1, 3, 5-7", 10, {"1", "3", "5", "6", "7"}},
      {"8-", 10, {"8", "9", "10"}},
      {"7-5", 10, {}},
      {"", 10, {}},
      {"   ", 10, {}},
      {"007,2,2", 0, {"7", "2", "2"}},
      {"12", 5, {"12"}},            // single numbers are not limited
      {"4-9", 6, {"4", "5", "6"}},  // ranges stop at the last page
      {"1 - 3", 0, {"1", "2", "3"}},
  };
  rtl::TStringList list;
  for (const auto& c : cases) {
    list.Add("stale");
    vuzParsePageNumbers(c.pages, list, c.total);
    EXPECT_EQ(Items(list), c.expected) << c.pages;
  }
  for (const char* bad : {"-3", "a", "1,,2", "1-b", "99999999999", ","}) {
    try {
      vuzParsePageNumbers(bad, list, 10);
      ADD_FAILURE() << bad;
    } catch (const rtl::EConvertError& e) {
      EXPECT_NE(std::string(e.what()).find("is not a valid integer value"), std::string::npos) << e.what();
    }
  }
}

TEST(PageNumbers, HugeRangesAreBounded) {
  rtl::TStringList list;
  vuzParsePageNumbers("1-999999999", list, 12);
  EXPECT_EQ(list.Count(), 12);
  vuzParsePageNumbers("1-999999999", list, 0);
  EXPECT_EQ(list.Count(), kMaxPageRange);
}

TEST(CommaText, Pieces) {
  struct Case {
    const char* text;
    char sep;
    V expected;
  } cases[] = {
      {"a;;b;", ';', {"a", "", "b"}},    {";a", ';', {"", "a"}},           {"", ';', {}},
      {"x, y,z", ',', {"x", " y", "z"}}, {"\"q;r\"", ';', {"\"q", "r\""}},
  };
  rtl::TStringList list;
  for (const auto& c : cases) {
    vuzSetCommaText(c.text, list, c.sep);
    EXPECT_EQ(Items(list), c.expected) << c.text;
  }
}

TEST(Components, FindByPlainAndDottedNames) {
  rtl::TComponent form;
  form.SetName("Form1");
  auto* report = new rtl::TComponent(&form);
  report->SetName("frxReport1");
  auto* dataset = new rtl::TComponent(&form);
  dataset->SetName("UserData");
  auto* memo = new rtl::TComponent(report);
  memo->SetName("Memo1");
  auto* sub = new rtl::TComponent(dataset);
  sub->SetName("Field");

  EXPECT_EQ(vuzFindComponent(report, "memo1"), memo);
  EXPECT_EQ(vuzFindComponent(report, "UserData"), nullptr);  // not a report: no look at its owner
  EXPECT_EQ(vuzFindComponent(nullptr, "Memo1"), nullptr);
  EXPECT_EQ(vuzFindComponent(&form, "Form1.UserData"), nullptr);  // no global finder yet

  vuzSetGlobalComponentFinder([&](const AnsiString& name) -> rtl::TComponent* {
    if (name == "Form1") return &form;
    if (name == "Broken") throw rtl::Exception("boom");
    return nullptr;
  });
  EXPECT_EQ(vuzFindComponent(nullptr, "Form1.UserData"), dataset);
  EXPECT_EQ(vuzFindComponent(nullptr, "Form1.UserData.Field"), sub);
  EXPECT_EQ(vuzFindComponent(nullptr, "Form1.Nothing.Field"), nullptr);
  EXPECT_EQ(vuzFindComponent(nullptr, "Form2.UserData"), nullptr);
  try {
    vuzFindComponent(nullptr, "Broken.X");
    ADD_FAILURE();
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Missing Broken.X");
  }
  vuzSetGlobalComponentFinder(nullptr);
}
