// Expression trees: building by priority, typing, compound-assignment
// recognition and evaluation.
#include "script/fs_iexpression.h"

#include <algorithm>
#include <typeinfo>
#include <vector>

#include "platform/rtl/object_handles.h"
#include "platform/rtl/textcase.h"
#include "script/fs_inesting.h"
#include "script/fs_itools.h"

namespace script {

namespace {

// An expression of more nodes than this cannot be evaluated within the
// nesting budget anyway; building stops with an error instead.
constexpr int kMaxExpressionNodes = 2000;

TfsVarType TagOfConstant(const Variant& value) {
  switch (value.RawType()) {
    case rtl::varBoolean: return fvtBool;
    case rtl::varSingle:
    case rtl::varDouble:
    case rtl::varCurrency:
    case rtl::varExtended: return fvtFloat;
    case rtl::varString:
    case rtl::varOleStr: return fvtString;
    default: return fvtInt;
  }
}

bool IsRelation(TfsOperatorType op) { return op >= opGreat && op <= opEq; }

// The root placeholder while building.
class TNoneNode : public TfsOperatorNode {
 public:
  TNoneNode() : TfsOperatorNode(opNone) {}
  Variant GetValue() override { return LeftChild ? LeftChild->GetValue() : Variant::Null(); }
};

class TLeftBracketNode : public TfsOperatorNode {
 public:
  TLeftBracketNode() : TfsOperatorNode(opLeftBracket) {}
  Variant GetValue() override { return LeftChild ? LeftChild->GetValue() : Variant::Null(); }
};

class TRightBracketNode : public TfsOperatorNode {
 public:
  TRightBracketNode() : TfsOperatorNode(opRightBracket) {}
  Variant GetValue() override { return Variant::Null(); }
};

// Binary operators that evaluate left, then right, and combine.
template <TfsOperatorType Op, Variant (*Combine)(const Variant&, const Variant&)>
class TBinaryNode : public TfsOperatorNode {
 public:
  TBinaryNode() : TfsOperatorNode(Op) {}
  Variant GetValue() override {
    Variant l = LeftValue();
    return Combine(l, RightValue());
  }
};

template <bool (*Compare)(const Variant&, const Variant&)>
Variant AsBooleanValue(const Variant& a, const Variant& b) {
  return Variant(Compare(a, b));
}
Variant NotEqual(const Variant& a, const Variant& b) { return Variant(!rtl::VarEquals(a, b)); }
Variant StrCat(const Variant& a, const Variant& b) {
  return a.IsAnsiString() ? rtl::VarConcat(a, b) : rtl::VarAdd(a, b);
}

using TGreatNode = TBinaryNode<opGreat, AsBooleanValue<rtl::VarGreater>>;
using TLessNode = TBinaryNode<opLess, AsBooleanValue<rtl::VarLess>>;
using TLessEqNode = TBinaryNode<opLessEq, AsBooleanValue<rtl::VarLessEq>>;
using TGreatEqNode = TBinaryNode<opGreatEq, AsBooleanValue<rtl::VarGreaterEq>>;
using TNonEqNode = TBinaryNode<opNonEq, NotEqual>;
using TEqNode = TBinaryNode<opEq, AsBooleanValue<rtl::VarEquals>>;
using TPlusNode = TBinaryNode<opPlus, rtl::VarAdd>;
using TMinusNode = TBinaryNode<opMinus, rtl::VarSub>;
using TXorNode = TBinaryNode<opXor, rtl::VarXor>;
using TMulNode = TBinaryNode<opMul, rtl::VarMul>;
using TDivFloatNode = TBinaryNode<opDivFloat, rtl::VarDiv>;
using TDivIntNode = TBinaryNode<opDivInt, rtl::VarIntDiv>;
using TModNode = TBinaryNode<opMod, rtl::VarMod>;
using TShlNode = TBinaryNode<opShl, rtl::VarShl>;
using TShrNode = TBinaryNode<opShr, rtl::VarShr>;

// "+" of Basic's "&": joins when the left side is a string.
class TStrCatNode : public TBinaryNode<opPlus, StrCat> {};

class TAndNode : public TfsOperatorNode {
 public:
  TAndNode() : TfsOperatorNode(opAnd) {}
  Variant GetValue() override {
    Variant l = LeftValue();
    if (ShortCircuit) return l.AsBoolean() ? RightValue() : l;
    return rtl::VarAnd(l, RightValue());
  }
};

class TOrNode : public TfsOperatorNode {
 public:
  TOrNode() : TfsOperatorNode(opOr) {}
  Variant GetValue() override {
    Variant l = LeftValue();
    if (ShortCircuit) return l.AsBoolean() ? l : RightValue();
    return rtl::VarOr(l, RightValue());
  }
};

class TNotNode : public TfsOperatorNode {
 public:
  TNotNode() : TfsOperatorNode(opNot) {}
  Variant GetValue() override { return rtl::VarNot(LeftValue()); }
};

class TUnMinusNode : public TfsOperatorNode {
 public:
  TUnMinusNode() : TfsOperatorNode(opUnMinus) {}
  Variant GetValue() override { return rtl::VarNeg(LeftValue()); }
};

// Membership in a set constructor, or in a set kept in a variable (an array
// whose Null entries mark ranges).
class TInNode : public TfsOperatorNode {
 public:
  TInNode() : TfsOperatorNode(opIn) {}
  Variant GetValue() override {
    Variant l = LeftValue();
    if (auto* set = dynamic_cast<TfsSetNode*>(RightChild)) return Variant(set->OwnedSet->Check(l));
    Variant r = RightValue();
    if (!r.IsArray()) return Variant(false);
    const int32_t low = rtl::VarArrayLowBound(r, 1), high = rtl::VarArrayHighBound(r, 1);
    for (int32_t i = low; i <= high; ++i) {
      if (l == r[i]) return Variant(true);
      if (i < high - 1 && r[i + 1].IsNull()) {
        if (l >= r[i] && l <= r[i + 2]) return Variant(true);
        i += 2;
      }
    }
    return Variant(false);
  }
};

// The class test: only a live object's handle counts; nil, unknown and
// stale handles are never of any class.
class TIsNode : public TfsOperatorNode {
 public:
  TIsNode() : TfsOperatorNode(opIs) {}
  Variant GetValue() override {
    Variant l = LeftValue();
    if (!l.IsOrdinal()) return Variant(false);
    const int64_t handle = l.RawInt();
    if (handle <= 0 || handle > INT32_MAX || !rtl::ObjectHandles::IsValid(static_cast<int32_t>(handle)))
      return Variant(false);
    rtl::TObject* object = rtl::ObjectHandles::Resolve<rtl::TObject>(static_cast<int32_t>(handle));
    auto* designatorNode = dynamic_cast<TfsDesignatorNode*>(RightChild);
    if (!designatorNode || designatorNode->OwnedDesignator->Count() == 0) return Variant(false);
    TfsCustomVariable* first = designatorNode->OwnedDesignator->GetItem(0)->StepItem;
    if (!first || first->Kind() != TfsItemKind::Class) return Variant(false);
    TClass cls = static_cast<TfsClassVariable*>(first)->HostClass;
    return Variant(object && cls && object->InheritsFrom(*cls));
  }
};

struct OperatorText {
  const char* text;
  TfsOperatorNode* (*make)();
};
template <class Node>
TfsOperatorNode* Make() {
  return new Node();
}
const OperatorText kOperators[] = {
    {" ", Make<TNoneNode>},    {">", Make<TGreatNode>},         {"<", Make<TLessNode>},
    {"<=", Make<TLessEqNode>}, {">=", Make<TGreatEqNode>},      {"<>", Make<TNonEqNode>},
    {"=", Make<TEqNode>},      {"+", Make<TPlusNode>},          {"STRCAT", Make<TStrCatNode>},
    {"-", Make<TMinusNode>},   {"OR", Make<TOrNode>},           {"XOR", Make<TXorNode>},
    {"*", Make<TMulNode>},     {"/", Make<TDivFloatNode>},      {"DIV", Make<TDivIntNode>},
    {"MOD", Make<TModNode>},   {"AND", Make<TAndNode>},         {"SHL", Make<TShlNode>},
    {"SHR", Make<TShrNode>},   {"(", Make<TLeftBracketNode>},   {")", Make<TRightBracketNode>},
    {"NOT", Make<TNotNode>},   {"UNMINUS", Make<TUnMinusNode>}, {"IN", Make<TInNode>},
    {"IS", Make<TIsNode>},
};

}  // namespace

TfsOperatorNode* fsCreateOperatorNode(std::string_view text) {
  for (const OperatorText& op : kOperators)
    if (rtl::SameText(op.text, text)) return op.make();
  return nullptr;
}

// ---- nodes -----------------------------------------------------------------

TfsExpressionNode::TfsExpressionNode(TfsVarType type) : TfsCustomExpression("", type, "") {
  kind_ = TfsItemKind::Expression;
}

TfsExpressionNode::~TfsExpressionNode() {
  delete LeftChild;
  delete RightChild;
}

void TfsExpressionNode::AddNode(TfsExpressionNode* node) {
  if (!LeftChild)
    LeftChild = node;
  else if (!RightChild)
    RightChild = node;
  else
    throw EScriptNestingError("Malformed expression: an operator has more than two operands");
  node->ParentNode = this;
}

void TfsExpressionNode::RemoveNode(TfsExpressionNode* node) {
  if (LeftChild == node)
    LeftChild = nullptr;
  else if (RightChild == node)
    RightChild = nullptr;
}

TfsOperandNode::TfsOperandNode(const Variant& value) : TfsExpressionNode(TagOfConstant(value)) { Value = value; }

TfsDesignatorNode::TfsDesignatorNode(TfsDesignator* designator)
    : TfsOperandNode(Variant::Null()), OwnedDesignator(designator) {
  VarType = designator->VarType;
  TypeIdent = designator->TypeIdent;
  Target = dynamic_cast<TfsVariableDesignator*>(designator) ? designator->LinkedItem : designator;
}

TfsDesignatorNode::~TfsDesignatorNode() { delete OwnedDesignator; }

TfsSetNode::TfsSetNode(TfsSetExpression* set) : TfsOperandNode(Variant::Null()), OwnedSet(set) { VarType = fvtVariant; }

TfsSetNode::~TfsSetNode() { delete OwnedSet; }

TfsOperatorNode::TfsOperatorNode(TfsOperatorType op) : OpKind(op) {}

int TfsOperatorNode::Priority() const {
  switch (OpKind) {
    case opNone: return 7;
    case opLeftBracket: return 6;
    case opRightBracket: return 5;
    case opGreat:
    case opLess:
    case opLessEq:
    case opGreatEq:
    case opNonEq:
    case opEq:
    case opIn:
    case opIs: return 4;
    case opPlus:
    case opMinus:
    case opOr:
    case opXor: return 3;
    case opMul:
    case opDivFloat:
    case opDivInt:
    case opMod:
    case opAnd:
    case opShl:
    case opShr: return 2;
    case opNot:
    case opUnMinus: return 1;
  }
  return 7;
}

int TfsOperatorNode::Arity() const {
  switch (OpKind) {
    case opNone:
    case opRightBracket: return 0;
    case opLeftBracket:
    case opNot:
    case opUnMinus: return 1;
    default: return 2;
  }
}

static Variant OperandValue(TfsExpressionNode* operand) {
  if (!operand) throw rtl::Exception("Malformed expression: an operator lacks its operand");
  return operand->GetValue();
}

Variant TfsOperatorNode::LeftValue() const { return OperandValue(LeftChild); }
Variant TfsOperatorNode::RightValue() const { return OperandValue(RightChild); }

// ---- building --------------------------------------------------------------

TfsExpression::TfsExpression(TfsScript* script)
    : TfsCustomExpression("", fvtVariant, ""), LastNode(new TNoneNode), Root(LastNode), OwnerScript(script) {
  kind_ = TfsItemKind::Expression;
}

TfsExpression::~TfsExpression() { delete Root; }

void TfsExpression::AddOperand(TfsExpressionNode* node) {
  if (++nodes_ > kMaxExpressionNodes) {
    delete node;
    throw EScriptNestingError("Expression too complex: more than " + std::to_string(kMaxExpressionNodes) + " elements");
  }
  LastNode->AddNode(node);
  LastNode = node;
}

void TfsExpression::AddConst(const Variant& value) {
  auto* node = new TfsOperandNode(value);
  node->Position = Position;
  AddOperand(node);
}

void TfsExpression::AddDesignator(TfsDesignator* designator) {
  auto* node = new TfsDesignatorNode(designator);
  node->Position = Position;
  AddOperand(node);
}

void TfsExpression::AddSet(TfsSetExpression* set) {
  auto* node = new TfsSetNode(set);
  node->Position = Position;
  AddOperand(node);
}

static bool IsLeftBracket(const TfsExpressionNode* node) {
  auto* op = dynamic_cast<const TfsOperatorNode*>(node);
  return op && op->OpKind == opLeftBracket;
}

void TfsExpression::AddOperator(std::string_view text) {
  TfsOperatorNode* p = fsCreateOperatorNode(text);
  if (!p) return;
  p->Position = Position;

  // Prefix elements hang under the last node; what follows becomes their operand.
  if (p->OpKind == opLeftBracket || p->OpKind == opNot || p->OpKind == opUnMinus) {
    AddOperand(p);
    return;
  }

  if (p->OpKind == opRightBracket) {
    TfsExpressionNode* q = LastNode;
    while (q && p->Priority() >= q->Priority()) q = q->ParentNode;
    delete p;
    if (!q || !IsLeftBracket(q) || !q->ParentNode)
      throw EScriptNestingError("Malformed expression: unbalanced brackets");
    // The bracket node gives its place to the bracketed sub-tree.
    TfsExpressionNode* parent = q->ParentNode;
    TfsExpressionNode* inner = q->LeftChild;
    (parent->LeftChild == q ? parent->LeftChild : parent->RightChild) = inner;
    q->LeftChild = nullptr;
    delete q;
    if (inner) inner->ParentNode = parent;
    LastNode = inner ? inner : parent;
    return;
  }

  if (++nodes_ > kMaxExpressionNodes) {
    delete p;
    throw EScriptNestingError("Expression too complex: more than " + std::to_string(kMaxExpressionNodes) + " elements");
  }
  if (LastNode == Root) {
    Root->AddNode(p);
    LastNode = p;
    return;
  }
  TfsExpressionNode* q;
  TfsExpressionNode* c;
  if (!IsLeftBracket(LastNode)) {
    q = LastNode->ParentNode;
    c = LastNode;
  } else {
    q = LastNode;
    c = nullptr;
  }
  while (q->ParentNode && p->Priority() >= q->Priority()) {
    c = q;
    q = q->ParentNode;
  }
  if (c) q->RemoveNode(c);
  q->AddNode(p);
  if (c) p->AddNode(c);
  LastNode = p;
}

// ---- typing ----------------------------------------------------------------

namespace {

struct Typing {
  TfsScript* script;
  AnsiString firstError;

  TfsTypeRec TypeOf(TfsExpressionNode* node) {
    if (!node) return {fvtVariant, ""};
    auto* op = dynamic_cast<TfsOperatorNode*>(node);
    if (!op) {
      if (auto* d = dynamic_cast<TfsDesignatorNode*>(node)) {
        node->VarType = d->OwnedDesignator->VarType;
        node->TypeIdent = d->OwnedDesignator->TypeIdent;
      }
      return {node->VarType, node->TypeIdent};
    }
    TfsTypeRec l = TypeOf(node->LeftChild);
    TfsTypeRec r = TypeOf(node->RightChild);
    if (l.Typ == fvtBool && r.Typ == fvtBool) op->ShortCircuit = true;
    const TfsOperatorType k = op->OpKind;
    bool ok = (k == opIs && l.Typ == fvtClass && r.Typ == fvtClass);
    if (!ok && TypesCompatible(l, r, script)) {
      switch (l.Typ) {
        case fvtBool: ok = k == opNonEq || k == opEq || k == opOr || k == opXor || k == opAnd || k == opNot; break;
        case fvtChar:
        case fvtString: ok = IsRelation(k) || k == opPlus || k == opIn; break;
        case fvtClass:
        case fvtArray: ok = k == opNonEq || k == opEq; break;
        default: ok = true;
      }
    }
    if (!ok && firstError.empty()) firstError = node->Position.empty() ? AnsiString("0:0") : node->Position;
    TfsTypeRec result = l;
    if ((l.Typ == fvtInt && r.Typ == fvtFloat) || (l.Typ == fvtFloat && r.Typ == fvtInt) ||
        (l.Typ == fvtInt && r.Typ == fvtInt && k == opDivFloat))
      result = {fvtFloat, ""};
    if (IsRelation(k) || k == opIn || k == opIs) result = {fvtBool, ""};
    node->VarType = result.Typ;
    node->TypeIdent = result.TypeName;
    return result;
  }
};

}  // namespace

AnsiString TfsExpression::Finalize() {
  if (!finalized_) {
    finalized_ = true;
    TfsExpressionNode* placeholder = Root;
    Root = placeholder->LeftChild;
    placeholder->LeftChild = nullptr;
    delete placeholder;
    if (!Root) Root = new TfsOperandNode(Variant::Null());
    Root->ParentNode = nullptr;
    LastNode = Root;
  }
  Typing typing{OwnerScript, {}};
  TfsTypeRec type = typing.TypeOf(Root);
  VarType = type.Typ;
  TypeIdent = type.TypeName;
  auto* designator = dynamic_cast<TfsDesignatorNode*>(Root);
  ReadOnly = !designator || designator->OwnedDesignator->ReadOnly;
  return typing.firstError;
}

bool TfsExpression::LacksOperand() const {
  // Without recursion: a tree may be as deep as its element limit.
  std::vector<const TfsExpressionNode*> pending{Root};
  while (!pending.empty()) {
    const TfsExpressionNode* node = pending.back();
    pending.pop_back();
    if (!node) continue;
    if (auto* op = dynamic_cast<const TfsOperatorNode*>(node)) {
      const int arity = op->Arity();
      if ((arity >= 1 && !node->LeftChild) || (arity == 2 && !node->RightChild)) return true;
    }
    pending.push_back(node->LeftChild);
    pending.push_back(node->RightChild);
  }
  return false;
}

// ---- compound assignments --------------------------------------------------

// The node reads exactly this variable through a plain-variable designator.
static bool ReadsVariable(TfsExpressionNode* node, TfsCustomVariable* variable) {
  auto* d = dynamic_cast<TfsDesignatorNode*>(node);
  return d && dynamic_cast<TfsVariableDesignator*>(d->OwnedDesignator) && d->OwnedDesignator->LinkedItem == variable;
}

AnsiString TfsExpression::Optimize(TfsDesignator* target) {
  auto* root = dynamic_cast<TfsOperatorNode*>(Root);
  auto* plain = dynamic_cast<TfsVariableDesignator*>(target);
  // Basic's "&" joins texts: rewriting it as an addition would add numbers.
  if (!root || !plain || dynamic_cast<TStrCatNode*>(root)) return " ";
  const TfsOperatorType k = root->OpKind;
  if (k != opPlus && k != opMinus && k != opMul && k != opDivFloat) return " ";
  const char* text = k == opPlus ? "+" : k == opMinus ? "-" : k == opMul ? "*" : "/";
  TfsCustomVariable* variable = plain->LinkedItem;

  TfsExpressionNode* keep = nullptr;
  if (ReadsVariable(root->LeftChild, variable)) {
    keep = root->RightChild;
    root->RightChild = nullptr;
  } else if ((k == opPlus || k == opMul) && ReadsVariable(root->RightChild, variable) &&
             variable->VarType != fvtString && variable->VarType != fvtVariant) {
    keep = root->LeftChild;
    root->LeftChild = nullptr;
  }
  if (!keep) return " ";
  delete Root;
  Root = keep;
  LastNode = keep;
  keep->ParentNode = nullptr;
  Finalize();
  return text;
}

TfsCustomVariable* TfsExpression::SingleItem() const {
  if (auto* d = dynamic_cast<TfsDesignatorNode*>(Root)) return d->Target;
  if (Root && typeid(*Root) == typeid(TfsOperandNode)) return Root;
  return nullptr;
}

Variant TfsExpression::GetValue() {
  TfsNestingGuard nesting;
  return Root->GetValue();
}

void TfsExpression::SetValue(const Variant& value) {
  if (ReadOnly) return;
  if (auto* d = dynamic_cast<TfsDesignatorNode*>(Root)) d->OwnedDesignator->SetValue(value);
}

}  // namespace script
