// Datasets: the row cursor with its range (TfrxDataSet), the event-driven
// user dataset the program feeds, the database-oriented bases, the
// process-wide list of every dataset and the report's own dataset collection.
//
// A dataset whose RangeEnd is reLast ends only when its OnCheckEOF handler
// says so: without a handler Eof is always false. That is how it is meant
// (the handler decides where the data ends); the engine guards its loops.
#pragma once
#include <functional>
#include <unordered_map>
#include <vector>

#include "platform/rtl/components.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/variant.h"
#include "report/vuzDialogComponent.h"

namespace report {

enum TfrxRangeBegin { rbFirst, rbCurrent };
enum TfrxRangeEnd { reLast, reCurrent, reCount };
enum TfrxFieldType { fftNumeric, fftString, fftBoolean };
const rtl::TEnumType& RangeBeginType();
const rtl::TEnumType& RangeEndType();

using TfrxCheckEOFEvent = std::function<void(rtl::TObject* sender, bool& eof)>;
using TfrxGetValueEvent = std::function<void(const AnsiString& varName, rtl::Variant& value)>;
using TfrxNewGetValueEvent = std::function<void(rtl::TObject* sender, const AnsiString& varName, rtl::Variant& value)>;

class TfrxDataSet : public TfrxDialogComponent {
  RTL_CLASS_INFO
 public:
  explicit TfrxDataSet(rtl::TComponent* owner);
  ~TfrxDataSet() override;

  // ---- fields
  virtual WideString GetDisplayText(const AnsiString& field);
  virtual int GetDisplayWidth(const AnsiString& field);
  virtual TfrxFieldType GetFieldType(const AnsiString& field);
  virtual rtl::Variant GetValue(const AnsiString& field);
  virtual int FieldsCount() { return 0; }
  virtual bool IsBlobField(const AnsiString& /*field*/) { return false; }
  virtual void AssignBlobTo(const AnsiString& /*field*/, rtl::TObject* /*target*/) {}
  // The bytes of a blob field, written into the stream (the picture object
  // reads its graphic so); nothing for a dataset without blobs.
  virtual void AssignBlobToStream(const AnsiString& /*field*/, rtl::TStream& /*target*/) {}
  virtual void GetFieldList(rtl::TStrings& list) { list.Clear(); }
  // Whether GetFieldList lists the field (by the list's own case rule).
  bool HasField(const AnsiString& field);

  // ---- the cursor
  virtual void Initialize() {}
  virtual void Finalize() {}
  virtual void Open();
  virtual void Close();
  virtual void First();
  virtual void Next();
  virtual void Prior();
  virtual bool Eof();
  virtual int RecordCount();
  int RecNo() const { return recNo_; }

  // ---- names
  // Renames, then gives UserName the new name when it was empty or equal to it.
  void SetName(const AnsiString& name) override;
  const AnsiString& UserName() const { return userName_; }
  // An empty name (blanks only) raises "prInvProp"; stored untrimmed.
  virtual void SetUserName(const AnsiString& value);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  TfrxRangeBegin RangeBegin() const { return rangeBegin_; }
  void SetRangeBegin(TfrxRangeBegin v) { rangeBegin_ = v; }
  TfrxRangeEnd RangeEnd() const { return rangeEnd_; }
  void SetRangeEnd(TfrxRangeEnd v) { rangeEnd_ = v; }
  int RangeEndCount() const { return rangeEndCount_; }
  void SetRangeEndCount(int v) { rangeEndCount_ = v; }
  bool CloseDataSource() const { return closeDataSource_; }
  void SetCloseDataSource(bool v) { closeDataSource_ = v; }
  bool OpenDataSource() const { return openDataSource_; }
  void SetOpenDataSource(bool v) { openDataSource_ = v; }
  // The report that initialised the dataset (set by TfrxReportDataSets::Initialize).
  TfrxComponent* Report() const { return report_; }
  void SetReport(TfrxComponent* report) { report_ = report; }

  TfrxCheckEOFEvent OnCheckEOF;
  rtl::TNotifyEvent OnFirst, OnNext, OnPrior, OnOpen, OnClose;

 protected:
  int recNo_ = 0;

 private:
  bool closeDataSource_ = false;
  bool enabled_ = true;
  bool eof_ = false;
  bool openDataSource_ = true;
  TfrxRangeBegin rangeBegin_ = rbFirst;
  TfrxRangeEnd rangeEnd_ = reLast;
  int rangeEndCount_ = 0;
  TfrxComponent* report_ = nullptr;
  AnsiString userName_;
};

// The dataset the program feeds through its events.
class TfrxUserDataSet : public TfrxDataSet {
  RTL_CLASS_INFO
 public:
  explicit TfrxUserDataSet(rtl::TComponent* owner);
  rtl::TStringList* Fields() const { return fields_.get(); }
  void SetFields(const rtl::TStringList* fields) { fields_->Assign(fields); }
  WideString GetDisplayText(const AnsiString& field) override;
  rtl::Variant GetValue(const AnsiString& field) override;
  int FieldsCount() override { return fields_->Count(); }
  void GetFieldList(rtl::TStrings& list) override { list.Assign(fields_.get()); }

  TfrxGetValueEvent OnGetValue;
  TfrxNewGetValueEvent OnNewGetValue;

 private:
  std::unique_ptr<rtl::TStringList> fields_ = std::make_unique<rtl::TStringList>();
};

// The base of database-backed datasets (none exists in this program).
class TfrxCustomDBDataSet : public TfrxDataSet {
  RTL_CLASS_INFO
 public:
  explicit TfrxCustomDBDataSet(rtl::TComponent* owner);
  rtl::TStringList* FieldAliases() const { return aliases_.get(); }
  void SetFieldAliases(const rtl::TStringList* aliases) { aliases_->Assign(aliases); }
  int FieldsCount() override;
  // The field of an alias ("field=alias" lines, alias compared without case),
  // else the alias itself; GetAlias the other way round.
  AnsiString ConvertAlias(const AnsiString& alias) const;
  AnsiString GetAlias(const AnsiString& field) const;

 private:
  std::unique_ptr<rtl::TStringList> aliases_ = std::make_unique<rtl::TStringList>();
};

class TfrxDBComponents : public rtl::TComponent {
 public:
  using rtl::TComponent::TComponent;
  virtual AnsiString GetDescription() const { return AnsiString(); }
};

// The base of database connections (none exists in this program).
class TfrxCustomDatabase : public TfrxDialogComponent {
  RTL_CLASS_INFO
 public:
  using TfrxDialogComponent::TfrxDialogComponent;
  virtual void SetConnected(bool) {}
  virtual void SetDatabaseName(const AnsiString&) {}
  virtual void SetLoginPrompt(bool) {}
  virtual void SetParams(rtl::TStrings*) {}
  virtual bool GetConnected() { return false; }
  virtual AnsiString GetDatabaseName() { return AnsiString(); }
  virtual bool GetLoginPrompt() { return false; }
  virtual rtl::TStrings* GetParams() { return nullptr; }
  virtual AnsiString ToString() { return AnsiString(); }
  virtual void FromString(const AnsiString&) {}
  virtual void SetLogin(const AnsiString&, const AnsiString&) {}
  // The report's connection events, raised when the report assigns them.
  std::function<void(rtl::TObject* sender, bool& connected)> OnBeforeConnect;
  std::function<void(rtl::TObject* sender)> OnAfterDisconnect;
  void BeforeConnect(bool& connected);
  void AfterDisconnect();
};

// ---------------------------------------------------------------- the global list

// Every dataset in order of creation; Lock and Unlock do nothing (everything
// runs on one thread).
//
// A removal takes constant time wherever the dataset stands: a template of
// many data bands frees its counting datasets while the copies the prepared
// pages made of them stay behind them in the list, so a search for each one
// would make freeing such a template grow with the square of its bands.
// Removed datasets leave a hole until the holes are as many as the datasets.
class TfrxGlobalDataSetList {
 public:
  void Lock() {}
  void Unlock() {}
  // In order of creation; removed ones are nil (skip them).
  const std::vector<TfrxDataSet*>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size() - holes_); }
  void Add(TfrxDataSet* d);
  void Remove(TfrxDataSet* d);

 private:
  void Compact();
  std::vector<TfrxDataSet*> items_;
  std::unordered_map<const TfrxDataSet*, std::size_t> positions_;
  std::size_t holes_ = 0;
};
// The list made by ReportClassesStartup; nil before it and after shut-down.
TfrxGlobalDataSetList* vuzDataSetList();
void vuzCreateDataSetList();
void vuzFreeDataSetList();

// The first dataset of the global list whose UserName is the name (1251 case
// ignored), passing over datasets of another report when owner is a report;
// the default when none, or without an owner; nil for an empty name.
TfrxDataSet* vuzFindDataSet(TfrxDataSet* defaultDataSet, const AnsiString& name, rtl::TComponent* owner);
// (UserName, dataset) of every enabled dataset with a name, in list order.
void vuzGetDataSetList(rtl::TStrings& list);

// ---------------------------------------------------------------- the report's datasets

class TfrxReportDataSets;

class TfrxDataSetItem : public rtl::TCollectionItem {
  RTL_CLASS_INFO
 public:
  explicit TfrxDataSetItem(rtl::TCollection* collection) : rtl::TCollectionItem(collection) {}
  TfrxDataSet* DataSet() const { return dataSet_; }
  // Also takes the dataset's UserName as the stored name.
  void SetDataSet(TfrxDataSet* dataSet);
  // The bound dataset's UserName, or the stored name without one.
  AnsiString DataSetName() const;
  // Binds the report's dataset of that name (nil for an empty name).
  void SetDataSetName(const AnsiString& name);

 private:
  TfrxDataSet* dataSet_ = nullptr;
  AnsiString dataSetName_;
};

class TfrxReportDataSets : public rtl::TCollection {
  RTL_CLASS_INFO
 public:
  explicit TfrxReportDataSets(TfrxComponent* report);
  TfrxComponent* Report() const { return report_; }
  void Add(TfrxDataSet* dataSet);
  TfrxDataSetItem* GetItem(int index) const { return static_cast<TfrxDataSetItem*>(Items(index)); }
  TfrxDataSetItem* Find(const TfrxDataSet* dataSet) const;
  TfrxDataSetItem* Find(std::string_view name) const;
  void Delete(const AnsiString& name);
  void Initialize();
  void Finalize();

 private:
  TfrxComponent* report_;
};

}  // namespace report
