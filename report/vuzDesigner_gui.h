// The base of a report designer window. No designer exists in this program;
// the base is here so that code written against one compiles and so that a
// designer added later finds its slots.
#pragma once
#include <vector>

#include "platform/gui/forms.h"
#include "platform/rtl/stringlists.h"
#include "report/vuzClass.h"

namespace report {

class TfrxReport;

class TfrxCustomDesigner : public gui::TForm {
 public:
  // The owner holds the window; previewDesigner: editing a prepared page.
  TfrxCustomDesigner(rtl::TComponent* owner, TfrxReport* report, bool previewDesigner = false);
  ~TfrxCustomDesigner() override;

  // Stores the flag; setting it also sets the report's modified mark.
  virtual void SetModified(bool value);
  virtual void SetPage(TfrxComponent* page) { page_ = page; }
  // Each raises EAbstractError unless a designer provides it.
  virtual rtl::TStrings* GetCode();
  virtual AnsiString InsertExpression(const AnsiString& expression);
  virtual void Lock();
  virtual void ReloadPages(int index);
  virtual void ReloadReport();
  virtual void UpdateDataTree();
  virtual void UpdatePage();

  TfrxReport* Report() const { return report_; }
  bool IsPreviewDesigner() const { return previewDesigner_; }
  bool Modified() const { return modified_; }
  TfrxComponent* Page() const { return page_; }
  // The objects of the page being edited and those selected (not owned).
  std::vector<TfrxComponent*>& Objects() { return objects_; }
  std::vector<TfrxComponent*>& SelectedObjects() { return selectedObjects_; }

 private:
  TfrxReport* report_;
  bool previewDesigner_;
  bool modified_ = false;
  TfrxComponent* page_ = nullptr;
  std::vector<TfrxComponent*> objects_;
  std::vector<TfrxComponent*> selectedObjects_;
};

}  // namespace report
