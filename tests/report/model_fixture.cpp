#include "model_fixture.h"

namespace report_test {

using report::TfrxReportComponent;

const rtl::TClassInfo& TfrxTestView::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxTestView>("TfrxTestView", &StandIn("TfrxView", TfrxReportComponent::StaticClass()))
          .Creatable()
          .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
          .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
          .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
          .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
          .Enum("Align", report::AlignType(), &TfrxTestView::Align, &TfrxTestView::SetAlign)
          .Default(report::baNone)
          .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
          .Stored(&TfrxComponent::IsFontStored)
          .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
          .Default(true)
          .Set("Restrictions", report::RestrictionsType(), &TfrxComponent::Restrictions,
               &TfrxComponent::SetRestrictions)
          .Default(0)
          .Property("Visible", &TfrxComponent::Visible, &TfrxComponent::SetVisible)
          .Default(true)
          .Property("Caption", &TfrxTestView::Caption, &TfrxTestView::SetCaption)
          .Property("Link", &TfrxTestView::Link, &TfrxTestView::SetLink)
          .Property("Lines", &TfrxTestView::Lines, &TfrxTestView::SetLines)
          .Property("Value", &TfrxTestView::Value, &TfrxTestView::SetValue)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxTestMemoView::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxTestMemoView>("TfrxTestMemoView",
                                           &StandIn("TfrxCustomMemoView", TfrxTestView::StaticClass()))
          .Creatable()
          .Property("AutoWidth", &TfrxTestMemoView::AutoWidth, &TfrxTestMemoView::SetAutoWidth)
          .Default(false)
          .Property("Memo", &TfrxTestMemoView::Memo, &TfrxTestMemoView::SetMemo)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxTestBand::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxTestBand>("TfrxTestBand", &StandIn("TfrxBand", TfrxReportComponent::StaticClass()))
          .Creatable()
          .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
          .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
          .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
          .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
          .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
          .Stored(&TfrxComponent::IsFontStored)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxTestPage::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxTestPage>("TfrxTestPage", &StandIn("TfrxPage", TfrxReportComponent::StaticClass()))
          .Creatable()
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxTestReport::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxTestReport>("TfrxTestReport", &StandIn("TfrxReport", TfrxComponent::StaticClass()))
          .Creatable()
          .Property("Title", &TfrxTestReport::Title, &TfrxTestReport::SetTitle)
          .Build();
  return info;
}

}  // namespace report_test
