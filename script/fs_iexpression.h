// Expressions: a binary tree of operand and operator nodes. The program
// builder feeds the elements in source order (operators as texts, operands as
// constants, designators and sets); the tree is arranged by operator priority
// and brackets while it is built, typed and checked by Finalize, and
// evaluated by a recursive GetValue of the root.
#pragma once
#include <cstdint>

#include "script/fs_iinterpreter.h"

namespace script {

enum TfsOperatorType : uint8_t {
  opNone,
  opGreat,
  opLess,
  opLessEq,
  opGreatEq,
  opNonEq,
  opEq,
  opPlus,
  opMinus,
  opOr,
  opXor,
  opMul,
  opDivFloat,
  opDivInt,
  opMod,
  opAnd,
  opShl,
  opShr,
  opLeftBracket,
  opRightBracket,
  opNot,
  opUnMinus,
  opIn,
  opIs,
};

class TfsExpressionNode : public TfsCustomExpression {
 public:
  TfsExpressionNode(TfsVarType type = fvtVariant);
  ~TfsExpressionNode() override;
  // Lower binds tighter: 0 operands, 1 unary, 2 multiplicative, 3 additive,
  // 4 relations, 5 and 6 brackets while building, 7 the root placeholder.
  virtual int Priority() const = 0;
  void AddNode(TfsExpressionNode* node);
  void RemoveNode(TfsExpressionNode* node);

  TfsExpressionNode* LeftChild = nullptr;
  TfsExpressionNode* RightChild = nullptr;
  TfsExpressionNode* ParentNode = nullptr;
};

// A constant.
class TfsOperandNode : public TfsExpressionNode {
 public:
  explicit TfsOperandNode(const Variant& value);
  int Priority() const override { return 0; }
  Variant GetValue() override { return Value; }
};

class TfsDesignatorNode : public TfsOperandNode {
 public:
  explicit TfsDesignatorNode(TfsDesignator* designator);
  ~TfsDesignatorNode() override;
  Variant GetValue() override { return Target->GetValue(); }
  TfsDesignator* OwnedDesignator;
  // The designator's variable for a plain-variable designator, else the designator.
  TfsCustomVariable* Target;
};

class TfsSetNode : public TfsOperandNode {
 public:
  explicit TfsSetNode(TfsSetExpression* set);
  ~TfsSetNode() override;
  Variant GetValue() override { return OwnedSet->GetValue(); }
  TfsSetExpression* OwnedSet;
};

class TfsOperatorNode : public TfsExpressionNode {
 public:
  explicit TfsOperatorNode(TfsOperatorType op);
  int Priority() const override;
  TfsOperatorType OpKind;
  bool ShortCircuit = false;
  // How many operands the operator takes once built (0 for the placeholders).
  int Arity() const;

 protected:
  // The operands' values; a missing operand (damaged stored code the builder
  // let through) raises instead of being dereferenced.
  Variant LeftValue() const;
  Variant RightValue() const;
};

// Makes the operator node of a text ("+", "div", "unminus", "(" ...; case is
// ignored); nullptr for a text that names no operator.
TfsOperatorNode* fsCreateOperatorNode(std::string_view text);

class TfsExpression : public TfsCustomExpression {
 public:
  explicit TfsExpression(TfsScript* script);
  ~TfsExpression() override;

  void AddConst(const Variant& value);
  void AddDesignator(TfsDesignator* designator);
  void AddSet(TfsSetExpression* set);
  void AddOperand(TfsExpressionNode* node);
  // Adds an operator by its text; a text that names no operator is ignored.
  void AddOperator(std::string_view text);
  // Arranges, types and checks the tree; answers the position of the first
  // type error, empty when there is none. A tree too deep to evaluate raises.
  AnsiString Finalize();
  // Whether an operator of the tree lacks an operand ("1 +", "not").
  bool LacksOperand() const;
  // Recognises x := x op e and x := e op x for a plain-variable target;
  // answers "+", "-", "*", "/" (the expression is then e) or " ".
  AnsiString Optimize(TfsDesignator* target);
  // The item an assignment may read directly: a plain variable, a
  // designator or a constant node; nullptr for anything else.
  TfsCustomVariable* SingleItem() const;
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
  const AnsiString& SourceText() const override { return ExprSource; }

  TfsExpressionNode* LastNode;
  TfsExpressionNode* Root;
  TfsScript* OwnerScript;
  AnsiString ExprSource;

 private:
  int nodes_ = 0;
  bool finalized_ = false;
};

}  // namespace script
