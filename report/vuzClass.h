// The report object tree: TfrxComponent (children, parent, geometry in
// pixels, font inheritance, names, attribute differences, loading and
// saving) and its printing subclass TfrxReportComponent, the unit constants,
// and the process-wide objects made by ReportClassesStartup.
//
// The concrete classes (views, text, bands, pages, the report) live in their
// own units; this one knows them by class name through the reflection layer,
// and reaches the report object through TfrxReportServices.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/components.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/typinfo.h"
#include "platform/rtl/variant.h"
#include "report/vuzUtils.h"

namespace gfx {
class TCanvas;
}
namespace script {
class TfsScript;
}

namespace report {

using rtl::AnsiString;

class TfrxComponent;
class TfrxXMLSerializer;
class TfrxDataSet;
class TfrxReportDataSets;
class TfrxCustomPreviewPages;
class TfrxReportComponent;
class TfrxStretcheable;
class TfrxSubreport;
class TfrxView;
class TfrxReport;

// ---------------------------------------------------------------- constants

inline constexpr gfx::TColor clTransparent = 0x1FFFFFFF;
inline constexpr long double fr01cm = 3.77953L;
inline constexpr long double fr1cm = 37.7953L;
inline constexpr long double fr01in = 9.6L;
inline constexpr long double fr1in = 96.0L;
inline constexpr long double fr1CharX = 9.6L;
inline constexpr long double fr1CharY = 17.0L;
inline constexpr std::uint8_t vuzCharset = 1;  // charset of new fonts (the default one)
inline constexpr int crHand = 150;
inline constexpr int crZoom = 151;
inline constexpr int crFormat = 152;

// Restrictions of an object in a designer (a set, member n is bit n).
enum TfrxRestriction { rfDontModify, rfDontSize, rfDontMove, rfDontDelete, rfDontEdit };
using TfrxRestrictions = unsigned;
const rtl::TEnumType& RestrictionType();
const rtl::TSetType& RestrictionsType();

// Component style (a set): csContainer holds other report objects (no class
// here sets it), csPreviewVisible keeps the object on prepared pages,
// csDefaultDiff makes the prepared pages describe it with AllDiff.
enum TfrxComponentStyleFlag : unsigned { csContainer = 1u << 0, csPreviewVisible = 1u << 1, csDefaultDiff = 1u << 2 };
using TfrxComponentStyle = unsigned;

// Alignment of views among their siblings (AlignChildren).
enum TfrxAlign { baNone, baLeft, baRight, baCenter, baWidth, baBottom, baClient };
const rtl::TEnumType& AlignType();

// An extended value rounded to 8 decimals (halves to even); the page's paper
// setters use it.
long double vuzRound8(long double value);

// What the tree needs of the report object, which is built in its own unit:
// the report class implements it beside TfrxComponent.
class TfrxReportServices {
 public:
  virtual ~TfrxReportServices() = default;
  // The serializer reading the report's template now (nil otherwise).
  virtual TfrxXMLSerializer* ActiveSerializer() const = 0;
  virtual void SetActiveSerializer(TfrxXMLSerializer* serializer) = 0;
  // The report's error list (load and run problems).
  virtual rtl::TStrings& Errors() = 0;
  // EngineOptions: the thread-safe switch, the silent mode, the use of the
  // process-wide dataset list.
  virtual bool EngineThreadSafe() const = 0;
  virtual TfrxSilentMode SilentMode() const = 0;
  virtual bool UseGlobalDataSetList() const = 0;
  virtual TfrxReportDataSets* ReportDataSets() = 0;
  // The object of the parent template with that name (nil without one).
  virtual TfrxComponent* FindAncestor(const AnsiString& name) = 0;

  // ---- what printing objects ask of a running report; the defaults serve
  // a report without an engine (no value, no "Self", no prepared pages).
  // The signatures are the report object's own (TfrxReport::Calc with its
  // script, SetSelfValue, PreviewPages() const), so its members override
  // these; keep them equal when either side changes.
  // The value of an expression (TfrxReport::Calc); its errors propagate.
  virtual rtl::Variant Calc(const AnsiString& expression, script::TfsScript* script = nullptr) {
    (void)expression;
    (void)script;
    return rtl::Variant();
  }
  // Makes the object the report's "Self" for the expressions that follow.
  virtual void SetSelfValue(TfrxComponent* object) { (void)object; }
  // The prepared pages the report builds into (nil before they exist).
  virtual TfrxCustomPreviewPages* PreviewPages() const { return nullptr; }
};

// ---------------------------------------------------------------- TfrxComponent

class TfrxComponent : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  // The rtl owner is always the report: an owner that is a TfrxComponent
  // passes its report (nil when it is not under one yet); the object becomes
  // the last child of such an owner.
  explicit TfrxComponent(rtl::TComponent* owner);
  // The designing constructor: sets the designing flag first.
  TfrxComponent(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxComponent() override;

  // ---- the tree
  TfrxComponent* Parent() const { return parent_; }
  virtual void SetParent(TfrxComponent* parent);
  const std::vector<TfrxComponent*>& Objects() const { return objects_; }
  // Changes whenever a child comes or goes (look-ups over the children may
  // keep their answers while it stays).
  std::uint64_t ChildrenVersion() const { return childrenVersion_; }
  // Every descendant depth first, each before its children (not self). The
  // list is kept while no object of any tree moves.
  const std::vector<TfrxComponent*>& GetAllObjects() const;
  virtual const std::vector<TfrxComponent*>& GetContainerObjects() const { return objects_; }
  // The first descendant of that name (1251 case ignored); nil when none.
  TfrxComponent* FindObject(const AnsiString& name) const;
  // Self or the nearest ancestor of the class TfrxPage / TfrxReport.
  TfrxComponent* GetPage() const;
  TfrxComponent* GetReport() const;
  TfrxReportServices* GetReportServices() const;
  // Frees the children, except those from a parent template, which are
  // asked to clear their own.
  virtual void Clear();

  // ---- geometry (pixels at 96 per inch)
  long double Left() const { return left_; }
  long double Top() const { return top_; }
  long double Width() const { return width_; }
  long double Height() const { return height_; }
  virtual void SetLeft(long double value);
  virtual void SetTop(long double value);
  virtual void SetWidth(long double value);
  virtual void SetHeight(long double value);
  void SetBounds(long double left, long double top, long double width, long double height);
  long double GetAbsLeft() const;
  long double GetAbsTop() const;

  // ---- font
  gfx::TFont* Font() const { return font_.get(); }
  virtual void SetFont(const gfx::TFont* font);
  bool ParentFont() const { return parentFont_; }
  virtual void SetParentFont(bool value);
  bool IsFontStored() const { return !parentFont_; }
  virtual void FontChanged();

  // ---- other state
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value) { groupIndex_ = value; }
  TfrxRestrictions Restrictions() const { return restrictions_; }
  void SetRestrictions(TfrxRestrictions value) { restrictions_ = value; }
  const AnsiString& Description() const { return description_; }
  void SetDescription(const AnsiString& value) { description_ = value; }
  TfrxComponentStyle FrComponentStyle() const { return componentStyle_; }
  void SetFrComponentStyle(TfrxComponentStyle value) { componentStyle_ = value; }
  const AnsiString& AliasName() const { return aliasName_; }
  void SetAliasName(const AnsiString& value) { aliasName_ = value; }
  // The class name without its first "Tfrx" and its first "View"
  // ("TfrxMemoView" gives "Memo") unless set; CreateUniqueName's prefix.
  AnsiString BaseName() const;
  void SetBaseName(const AnsiString& value) {
    baseName_ = value;
    baseNameSet_ = true;
  }
  TfrxComponent* Original() const { return original_; }
  void SetOriginal(TfrxComponent* value) { original_ = value; }
  TfrxComponent* SourceBand() const { return sourceBand_; }
  void SetSourceBand(TfrxComponent* value) { sourceBand_ = value; }
  const TfrxRect& SavedBounds() const { return savedBounds_; }
  void SetSavedBounds(const TfrxRect& r) { savedBounds_ = r; }

  bool IsDesigning() const { return isDesigning_; }
  void SetIsDesigning(bool value) { isDesigning_ = value; }
  bool IsLoading() const { return isLoading_; }
  void SetIsLoading(bool value) { isLoading_ = value; }
  bool IsPrinting() const { return isPrinting_; }
  void SetIsPrinting(bool value) { isPrinting_ = value; }
  bool IsWriting() const { return isWriting_; }
  void SetIsWriting(bool value) { isWriting_ = value; }
  bool IsAncestor() const { return isAncestor_; }
  void SetIsAncestor(bool value) { isAncestor_ = value; }
  // The loading flag or the runtime's loading state.
  bool GetIsLoading() const;
  // The runtime's ancestor state or the ancestor flag.
  bool GetIsAncestor() const;

  // ---- names
  // Unchanged when equal without regard to case; a name another object of
  // the report has raises EDuplicateName ("prDupl"); an object from a parent
  // template cannot be renamed ("clCantRen").
  void SetName(const AnsiString& name) override;
  // Base name + the smallest number from 1 that no object of the report (of
  // the parent without one) carries.
  void CreateUniqueName();

  // ---- prepared-pages descriptions
  virtual AnsiString Diff(TfrxComponent* other);
  AnsiString InternalDiff(TfrxComponent* other);
  static AnsiString DiffFont(const gfx::TFont& f, const gfx::TFont& g, const AnsiString& separator);
  AnsiString AllDiff(TfrxComponent* other);

  // ---- copying, loading and saving through the template serializer
  // Makes this object equal to another as writing the other's stored
  // properties (no children) and reading them back would; the values go
  // directly where they can (see TfrxStoredProperties).
  void Assign(const rtl::TPersistent* source) override;
  // The same through the XML text itself: for objects the direct copy does
  // not take, and the measure the direct copy is held to.
  void AssignThroughXML(const TfrxComponent* source);
  void AssignAll(TfrxComponent* source, bool streaming = false);
  virtual void LoadFromStream(rtl::TStream& stream);
  virtual void SaveToStream(rtl::TStream& stream, bool saveChildren = true, bool saveDefaultValues = false,
                            bool useGetAncestor = false);

  // ---- hooks of the subclasses
  virtual AnsiString GetDescription() const { return ClassName(); }
  virtual void AlignChildren();
  virtual void AddSourceObjects() {}
  virtual void BeforeStartReport() {}
  virtual void OnNotify(TObject* /*sender*/) {}
  virtual void OnPaste() {}
  virtual bool ContainerAdd(TfrxComponent* /*object*/) { return false; }
  virtual bool ContainerMouseDown(TObject* /*sender*/, int /*x*/, int /*y*/) { return false; }
  virtual void ContainerMouseMove(TObject* /*sender*/, int /*x*/, int /*y*/) {}
  virtual void ContainerMouseUp(TObject* /*sender*/, int /*x*/, int /*y*/) {}
  // The dataset named so for expressions of this object (see TfrxDataSet).
  TfrxDataSet* FindDataSet(TfrxDataSet* defaultDataSet, const AnsiString& name) const;
  // Points a dataset field of this object at another dataset, moving the
  // free notification with it, so the field never outlives its dataset.
  void BindDataSet(TfrxDataSet*& field, TfrxDataSet* dataSet);

  void Loaded() override;

  // True when the object's reflected class is the named one or descends from it.
  bool IsA(std::string_view className) const { return ClassType().InheritsFrom(className); }
  // The same for the classes the engine asks about for every object of
  // every row; the answers are worked out once per class (by name, as IsA).
  enum TfrxClassKind : unsigned {
    ckReport = 1u << 0,
    ckPage = 1u << 1,
    ckBand = 1u << 2,
    ckCustomMemoView = 1u << 3,
    ckDataBand = 1u << 4,
    ckGroupHeader = 1u << 5,
    ckPageHeader = 1u << 6,
    ckNullBand = 1u << 7,
    ckOverlay = 1u << 8,
    ckDMPMemoView = 1u << 9,
    ckDMPPage = 1u << 10,
    ckPageFooter = 1u << 11,
    ckColumnFooter = 1u << 12,
    ckHeader = 1u << 13,
    ckReportTitle = 1u << 14,
  };
  bool IsKind(TfrxClassKind kind) const { return (ClassKinds(ClassType()) & kind) != 0; }
  static unsigned ClassKinds(const rtl::TClassInfo& cls);

  // Kind tests for loops that run for every object of every row: a
  // dynamic_cast that fails walks the whole class graph, these are one call.
  virtual TfrxReportComponent* AsReportComponent() { return nullptr; }
  virtual TfrxStretcheable* AsStretcheable() { return nullptr; }
  virtual TfrxSubreport* AsSubreport() { return nullptr; }
  virtual TfrxReportServices* AsReportServices() { return nullptr; }
  virtual TfrxView* AsView() { return nullptr; }
  virtual TfrxReport* AsReport() { return nullptr; }

 protected:
  // A tree's top checks new names of the objects it owns through its name
  // index instead of a walk over every component.
  void ValidateRename(rtl::TComponent* component, const AnsiString& current, const AnsiString& newName) override;
  // Report objects are all owned by the report: telling every one of them of
  // each new object, or of each removal while the report itself goes, would
  // make building and freeing a report grow with the square of its size.
  // Removals of a living report still reach every object (references to
  // datasets are cleared that way).
  // Clear tells the owner which objects are about to go together: their
  // removals then reach only the objects that stay (the leaving ones are
  // being freed and hear nothing, as in a report's own end), so clearing a
  // report of n objects costs no n notices per object.
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  friend struct TfrxNameIndex;
  friend struct TfrxBulkRemoval;
  // Announces the subtree of child (child included) as leaving to the
  // owners of its objects; adds each owner that began a removal here.
  void AnnounceLeaving(TfrxComponent* child, std::vector<TfrxComponent*>& owners);
  // True when the object is inside one of the children a Clear of this
  // object frees (not a kept inherited one).
  bool GoesWithClear(const TfrxComponent* object) const;
  void Init(rtl::TComponent* owner);
  // Clear, then read with a serializer set up as for loading (owner, the
  // report's active serializer, errors passed on to the report).
  void ReadWith(rtl::TStream* stream, const std::function<void(TfrxXMLSerializer&)>& read);
  TfrxComponent* TreeTop();
  struct TfrxNameIndex* IndexFor(const TfrxComponent* scope);
  void IndexSubtree(bool add);

  std::unique_ptr<gfx::TFont> font_;
  std::vector<TfrxComponent*> objects_;
  std::uint64_t childrenVersion_ = 0;
  mutable std::vector<TfrxComponent*> allObjects_;
  mutable std::uint64_t allObjectsGeneration_ = 0;
  TfrxComponent* parent_ = nullptr;
  long double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool parentFont_ = false;
  int groupIndex_ = 0;
  bool isDesigning_ = false;
  bool isLoading_ = false;
  bool isPrinting_ = false;
  bool isWriting_ = false;
  TfrxRestrictions restrictions_ = 0;
  bool visible_ = true;
  AnsiString description_;
  bool isAncestor_ = false;
  TfrxComponentStyle componentStyle_ = csPreviewVisible;
  AnsiString aliasName_;
  AnsiString baseName_;
  bool baseNameSet_ = false;
  TfrxComponent* original_ = nullptr;
  TfrxRect savedBounds_;
  TfrxComponent* sourceBand_ = nullptr;
  std::unique_ptr<struct TfrxNameIndex> nameIndex_;  // held by a tree's top object
  std::unique_ptr<struct TfrxBulkRemoval> bulk_;     // objects it owns that are leaving together
};

// ---------------------------------------------------------------- TfrxReportComponent

class TfrxReportComponent : public TfrxComponent {
  RTL_CLASS_INFO
 public:
  explicit TfrxReportComponent(rtl::TComponent* owner);
  TfrxReportComponent(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxReportComponent() override;

  // Paints the object on any canvas: device position = offset + position x scale.
  virtual void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                    long double offsetY) = 0;
  // Saves the bounds; AfterPrint puts them back.
  virtual void BeforePrint();
  virtual void GetData() {}
  virtual void AfterPrint();
  virtual AnsiString GetComponentText() { return AnsiString(); }
  virtual TfrxRect GetRealBounds();
  TfrxReportComponent* AsReportComponent() override { return this; }

  // Script handler names (published by the views).
  AnsiString OnAfterData, OnAfterPrint, OnBeforePrint, OnPreviewClick, OnPreviewDblClick;
  // How far the object moved down while its band grew, and the objects that
  // move with it (filled by the engine, not owned).
  long double ShiftAmount = 0;
  std::vector<TfrxReportComponent*>& ShiftChildren() { return shiftChildren_; }

 private:
  std::vector<TfrxReportComponent*> shiftChildren_;
};

// ---------------------------------------------------------------- process-wide objects

// Runs once (a nesting counter makes a second call do nothing): the global
// dataset list, vuzGlobalVariables, the class registrations of this unit and
// the resource update of the script messages. Shut-down frees them in the
// order described there; it must come after every report object, dataset
// and filter has gone.
void ReportClassesStartup();
void ReportClassesShutdown();
bool ReportClassesStarted();

// Reports an error by the report's silent mode (message box without a report).
void vuzCommonErrorHandler(TfrxComponent* report, const AnsiString& text);

// Registers a report class with the runtime's class registry (the template
// reader finds classes there). Units of the concrete classes call it.
void vuzRegisterReportClass(const rtl::TClassInfo& info);
// The names the start-up registers, in order (kept for the units that
// register their classes later: the template reader needs them).
const std::vector<AnsiString>& vuzStandardClassNames();

}  // namespace report
