// The runtime bindings as scripts use them: ini files with their string-list
// extras, string lists, streams, members served on descendants, the event
// adapters' write-back and lifetimes, and automation calls over a fake
// dispatch object.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/inifiles.h"
#include "platform/rtl/stringlists.h"
#include "script/fs_iclassesrtti.h"
#include "script/fs_idisp.h"
#include "script/fs_ievents.h"
#include "script/fs_iinirtti.h"
#include "script/fs_iinterpreter.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace script {
namespace {

struct HostBindings : ::testing::Test {
  void SetUp() override {
    fsClassesRTTIStartup();
    fsIniRTTIStartup();
    script = std::make_unique<TfsScript>(nullptr);
    script->AddRTTI();
  }
  void TearDown() override {
    script.reset();
    fsIniRTTIShutdown();
    fsClassesRTTIShutdown();
  }
  // Compiles and runs a PascalScript program; a compile error fails the test.
  void Run(const AnsiString& program) {
    if (compiled) {  // each program in a script of its own
      script = std::make_unique<TfsScript>(nullptr);
      script->AddRTTI();
    }
    compiled = true;
    script->Lines.SetText(program);
    ASSERT_TRUE(script->Compile()) << script->ErrorMessage << " at " << script->ErrorPosition;
    script->Execute();
  }
  AnsiString Var(const char* name) { return script->GetVariables(name).AsString(); }

  std::unique_ptr<TfsScript> script;
  bool compiled = false;
  support::ScratchFolder folder;
};

TEST_F(HostBindings, IniStringListsRoundTripThroughNumberedKeys) {
  const std::string path = folder.File("lists.ini");
  for (const char* cls : {"TIniFile", "TMemIniFile"}) {
    SCOPED_TRACE(cls);
    Run(AnsiString("var ini: ") + cls +
        "; a, b: TStringList; r: String; n: Integer;\n"
        "begin\n"
        "  ini := " +
        cls + ".Create('" + path +
        "');\n"
        "  a := TStringList.Create; b := TStringList.Create;\n"
        "  a.Add('one'); a.Add('two'); a.Add('three');\n"
        "  ini.WriteString('Old', 'Items7', 'stale');\n"
        "  ini.WriteTStrings('Old', a);\n"
        "  b.Add('kept');\n"
        "  r := ini.ReadTStrings('Old', b, False);\n"
        "  n := b.Count;\n"
        "  r := r + b.Text;\n"
        "  ini.ReadSectionValuesEx('Old', b);\n"
        "  r := r + '|' + b.CommaText;\n"
        "  ini.Free; a.Free; b.Free;\n"
        "end.");
    EXPECT_EQ(Var("n"), "4");
    EXPECT_EQ(Var("r"), "kept\r\none\r\ntwo\r\nthree\r\n|one,two,three,3");
  }
  rtl::TIniFile back(path);
  rtl::TStringList keys;
  back.ReadSection("Old", keys);
  EXPECT_EQ(keys.CommaText(), "Items0,Items1,Items2,Count");
  EXPECT_EQ(back.ReadString("Old", "Count", ""), "3");
}

TEST_F(HostBindings, IniFilesWholeTextThroughStreams) {
  const std::string path = folder.File("whole.ini");
  support::WriteFile(path, "[A]\r\nx=1\r\n");
  Run(AnsiString("var ini: TIniFile; mem: TMemIniFile; s: TMemoryStream; r: String;\n"
                 "begin\n"
                 "  ini := TIniFile.Create('") +
      path +
      "'); s := TMemoryStream.Create;\n"
      "  ini.SaveIniFileToStream(s);\n"
      "  mem := TMemIniFile.Create('');\n"
      "  s.Position := 0;\n"
      "  mem.LoadIniFileFromStream(s);\n"
      "  r := mem.ReadString('A', 'x', '?');\n"
      "  mem.WriteString('B', 'y', '2');\n"
      "  s.Clear; mem.SaveIniFileToStream(s); s.Position := 0;\n"
      "  ini.LoadIniFileFromStream(s);\n"
      "  r := r + ini.ReadString('B', 'y', '?');\n"
      "  ini.LoadIniFileFromStream(nil);\n"
      "end.");
  EXPECT_EQ(Var("r"), "12");
  EXPECT_NE(support::ReadFile(path).find("y=2"), std::string::npos);
}

TEST_F(HostBindings, StringListFindWritesTheInsertionPosition) {
  struct Case {
    const char* text;
    bool found;
    int index;
  };
  for (const Case& c : {Case{"a", false, 0}, Case{"b", true, 0}, Case{"c", false, 1}, Case{"d", true, 1},
                        Case{"e", false, 2}, Case{"z", false, 3}}) {
    SCOPED_TRACE(c.text);
    Run(AnsiString("var l: TStringList; i: Integer; f: Boolean;\n"
                   "begin l := TStringList.Create; l.Sorted := True; l.Add('f'); l.Add('b'); l.Add('d');\n"
                   "  i := -1; f := l.Find('") +
        c.text + "', i); l.Free; end.");
    EXPECT_EQ(script->GetVariables("f").AsBoolean(), c.found);
    EXPECT_EQ(script->GetVariables("i").AsInteger(), c.index);
  }
}

TEST_F(HostBindings, StreamReadsAndWritesStayWithinTheirText) {
  struct Case {
    const char* action;  // after writing "0123456789" and seeking to 0
    const char* result;  // n|buffer|size
  };
  const Case cases[] = {
      {"n := s.Read(b, 100);", "10|0123456789|10"},
      {"s.Position := 4; n := s.Read(b, 3);", "3|456|10"},
      {"n := s.Read(b, -5);", "0||10"},
      {"s.Position := 10; n := s.Read(b, 2000000000);", "0||10"},
      // A count beyond the text writes the text only; a negative one nothing.
      {"s.Position := 10; n := s.Write('abc', 10);", "3||13"},
      {"s.Position := 10; n := s.Write('abc', -1);", "0||10"},
      {"n := s.Seek(-2, soFromEnd); n := s.Read(b, 5);", "2|89|10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    Run(AnsiString("var s: TMemoryStream; b: String; n: Integer; r: String;\n"
                   "begin s := TMemoryStream.Create; s.Write('0123456789', 10); s.Position := 0; b := '';\n") +
        c.action + "\n r := IntToStr(n) + '|' + b + '|' + IntToStr(s.Size); s.Free; end.");
    EXPECT_EQ(Var("r"), c.result);
  }
}

TEST_F(HostBindings, MembersRegisteredOnAnAncestorServeDescendants) {
  Run("var l: TStringList; p: TPersistent; r: String;\n"
      "begin l := TStringList.Create; l.Add('x'); l.Values['k'] := 'v';\n"
      "  r := l.Strings[0] + l.Names[1] + l.Values['k'] + IntToStr(l.Count) + l.ClassName;\n"
      "  l.Free; end.");
  EXPECT_EQ(Var("r"), "xkv2TStringList");
}

TEST_F(HostBindings, ScriptXMLTreeAndDocument) {
  const std::string path = folder.File("tree.xml");
  Run(AnsiString("var d: TfsXMLDocument; i: TfsXMLItem; r: String;\n"
                 "begin d := TfsXMLDocument.Create; d.Root.Name := 'root';\n"
                 "  i := d.Root.Add; i.Name := 'child'; i.Prop['a'] := '1';\n"
                 "  d.SaveToFile('") +
      path +
      "'); d.Free;\n"
      "  d := TfsXMLDocument.Create; d.LoadFromFile('" +
      path +
      "');\n"
      "  r := d.Root.FindItem('child').Prop['a'] + IntToStr(d.Root.Count); d.Free; end.");
  EXPECT_EQ(Var("r"), "11");
}

// ---- event adapters ---------------------------------------------------------

// A host with events of each shape, as a binding's connectors would reach them.
struct Host : rtl::TComponent {
  using rtl::TComponent::TComponent;
  std::function<void(rtl::TObject*, char&)> OnKeyPress;
  std::function<void(rtl::TObject*, bool&)> OnCloseQuery;
  std::function<void(rtl::TObject*, std::uint16_t&, unsigned)> OnKeyDown;
};

struct Adapters : HostBindings {
  void Bind() {
    cls = script->AddClass(fsHostClass<Host>("Host", &rtl::TComponent::StaticClass()), "TComponent");
    cls->AddEvent("OnKeyPress",
                  fsEventClass<TfsKeyPressEvent>(TfsEventConnector<rtl::TObject*, char&>(
                      [](rtl::TObject* h, TfsKeyPressEvent::Method m) { dynamic_cast<Host*>(h)->OnKeyPress = m; })));
    cls->AddEvent(
        "OnCloseQuery",
        fsEventClass<TfsCloseQueryEvent>(TfsEventConnector<rtl::TObject*, bool&>(
            [](rtl::TObject* h, TfsCloseQueryEvent::Method m) { dynamic_cast<Host*>(h)->OnCloseQuery = m; })));
    cls->AddEvent("OnKeyDown",
                  fsEventClass<TfsKeyEvent>(TfsEventConnector<rtl::TObject*, std::uint16_t&, unsigned>(
                      [](rtl::TObject* h, TfsKeyEvent::Method m) { dynamic_cast<Host*>(h)->OnKeyDown = m; })));
    script->AddObject("Host1", host.get());
  }
  std::unique_ptr<Host> host = std::make_unique<Host>(nullptr);
  TfsClassVariable* cls = nullptr;
};

TEST_F(Adapters, HandlersWriteTheirByReferenceArgumentsBack) {
  Bind();
  Run("var Shift: Integer;\n"
      "procedure KeyPress(Sender: TObject; var Key: Char);\n"
      "begin if Key = 'a' then Key := 'b' else if Key = 'x' then Key := ''; end;\n"
      "procedure CloseQuery(Sender: TObject; var CanClose: Boolean);\n"
      "begin CanClose := False; end;\n"
      "procedure KeyDown(Sender: TObject; var Key: Word; Shift: Integer);\n"
      "begin Key := Key + Shift; end;\n"
      "begin Host1.OnKeyPress := 'KeyPress'; Host1.OnCloseQuery := 'CloseQuery'; Host1.OnKeyDown := 'KeyDown'; end.");
  struct KeyCase {
    char in, out;
  };
  for (const KeyCase& c : {KeyCase{'a', 'b'}, KeyCase{'q', 'q'}, KeyCase{'x', '\0'}}) {
    char key = c.in;
    host->OnKeyPress(host.get(), key);
    EXPECT_EQ(key, c.out) << c.in;
  }
  bool canClose = true;
  host->OnCloseQuery(host.get(), canClose);
  EXPECT_FALSE(canClose);
  std::uint16_t key = 40;
  host->OnKeyDown(host.get(), key, 4);
  EXPECT_EQ(key, 44);
}

TEST_F(Adapters, LifetimesEndCleanlyInEitherOrder) {
  // The script ends before its host: the host's events are emptied.
  Bind();
  Run("procedure KeyPress(Sender: TObject; var Key: Char); begin Key := 'z'; end;\n"
      "begin Host1.OnKeyPress := 'KeyPress'; end.");
  ASSERT_TRUE(host->OnKeyPress);
  script.reset();
  EXPECT_FALSE(host->OnKeyPress);

  // The host ends before the script: the adapter lets it go quietly.
  script = std::make_unique<TfsScript>(nullptr);
  script->AddRTTI();
  compiled = false;
  host = std::make_unique<Host>(nullptr);
  Bind();
  Run("procedure KeyPress(Sender: TObject; var Key: Char); begin Key := 'z'; end;\n"
      "begin Host1.OnKeyPress := 'KeyPress'; end.");
  host.reset();
  script.reset();
}

// ---- automation -------------------------------------------------------------

struct FakeDispatch : TfsDispatch {
  struct Call {
    AnsiString name;
    unsigned flags;
    std::vector<Variant> args;
    std::vector<int> named;
    bool wantsResult;
  };
  std::vector<Call> calls;
  std::vector<AnsiString> names{"Open", "Visible", "Fail"};
  std::int32_t GetIDOfName(const AnsiString& name, int& dispId) override {
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) {
        dispId = static_cast<int>(i);
        return 0;
      }
    return static_cast<std::int32_t>(0x80020006u);  // unknown name
  }
  std::int32_t Invoke(int dispId, unsigned flags, const std::vector<Variant>& args, const std::vector<int>& named,
                      Variant* result, TfsDispException& info) override {
    calls.push_back({names[static_cast<std::size_t>(dispId)], flags, args, named, result != nullptr});
    if (names[static_cast<std::size_t>(dispId)] == "Fail") {
      info.Source = "Fake";
      info.Description = "It failed";
      return static_cast<std::int32_t>(0x80020009u);
    }
    if (result) *result = Variant(42);
    return 0;
  }
  AnsiString ErrorMessage(std::int32_t code) const override {
    return code == static_cast<std::int32_t>(0x80020006u) ? "Unknown name." : "Exception occurred.";
  }
};

struct Automation : ::testing::Test {
  FakeDispatch dispatch;
  std::unique_ptr<TfsOLEHelper> Member(const char* name, std::vector<Variant> args) {
    auto helper = std::make_unique<TfsOLEHelper>(name);
    for (std::size_t i = 0; i < args.size(); ++i) {
      auto* p = new TfsParamItem("", false, false, fvtVariant, "");
      p->Value = args[i];
      helper->Add(p);
    }
    helper->PrevValue = fsObjectToVariant(&dispatch);
    return helper;
  }
};

TEST_F(Automation, ArgumentsTravelLastFirstAndPutsNameTheirValue) {
  EXPECT_EQ(Member("Open", {Variant(1), Variant("two"), Variant(3.5)})->GetValue().AsInteger(), 42);
  ASSERT_EQ(dispatch.calls.size(), 1u);
  const FakeDispatch::Call& call = dispatch.calls[0];
  EXPECT_EQ(call.flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  ASSERT_EQ(call.args.size(), 3u);
  EXPECT_EQ(call.args[0].AsExtended(), 3.5);
  EXPECT_EQ(call.args[1].AsString(), "two");
  EXPECT_EQ(call.args[2].AsInteger(), 1);
  EXPECT_TRUE(call.named.empty());
  EXPECT_TRUE(call.wantsResult);

  Member("Visible", {})->SetValue(Variant(true));
  const FakeDispatch::Call& put = dispatch.calls[1];
  EXPECT_EQ(put.flags, static_cast<unsigned>(DISPATCH_PROPERTYPUT));
  ASSERT_EQ(put.args.size(), 1u);
  EXPECT_TRUE(put.args[0].AsBoolean());
  EXPECT_EQ(put.named, std::vector<int>{DISPID_PROPERTYPUT});
  EXPECT_FALSE(put.wantsResult);

  auto noResult = Member("Open", {});
  noResult->WantsResult = false;
  noResult->GetValue();
  EXPECT_EQ(dispatch.calls[2].flags, static_cast<unsigned>(DISPATCH_METHOD));
  EXPECT_FALSE(dispatch.calls[2].wantsResult);
}

TEST_F(Automation, FailuresAndTooManyArgumentsRaiseClearErrors) {
  struct Case {
    const char* name;
    int arguments;
    const char* message;
  };
  const Case cases[] = {
      {"Fail", 0,
       "OLE error 80020009: Fail: Exception occurred.\r\nSource        ::  Fake\r\nDescription ::  It failed"},
      {"Missing", 0, "OLE error 80020006: Missing: Unknown name."},
      {"Open", 65, "Too many automation arguments for Open: 65 (at most 64)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      Member(c.name, std::vector<Variant>(static_cast<std::size_t>(c.arguments), Variant(0)))->GetValue();
      FAIL();
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  // Sixty-four still go through, and the over-long call reached nothing.
  Member("Open", std::vector<Variant>(64, Variant(0)))->GetValue();
  EXPECT_EQ(dispatch.calls.back().args.size(), 64u);
}

}  // namespace
}  // namespace script
