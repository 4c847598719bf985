// The owner-owns-children base of every GUI object: a component belongs to its
// owner, which destroys it (last created first) when it is destroyed itself.
// Destroying a component earlier removes it from its owner.
#pragma once
#include <vector>

#include "platform/gui/types.h"

namespace gui {

class TObject {
 public:
  virtual ~TObject() = default;
};

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const { return components_.at(static_cast<std::size_t>(i)); }
  // Moves the component to another owner (nullptr: nobody destroys it).
  void ChangeOwner(TComponent* owner);

  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name) { name_ = name; }
  long long Tag() const { return tag_; }
  void SetTag(long long tag) { tag_ = tag; }
  // True while the destructor of the component or of its owner runs.
  bool Destroying() const { return destroying_; }

 protected:
  // Destroys the owned components now (the last created first); derived
  // destructors that must outlive their components call it first.
  void DestroyComponents();
  void MarkDestroying() { destroying_ = true; }

 private:
  void Remove(TComponent* c);
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  AnsiString name_;
  long long tag_ = 0;
  bool destroying_ = false;
};

}  // namespace gui
