#include "platform/gui/component.h"

#include <algorithm>

namespace gui {

TComponent::TComponent(TComponent* owner) { ChangeOwner(owner); }

TComponent::~TComponent() {
  destroying_ = true;
  DestroyComponents();
  if (owner_) owner_->Remove(this);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    c->owner_ = nullptr;
    delete c;
  }
}

void TComponent::ChangeOwner(TComponent* owner) {
  if (owner == owner_) return;
  if (owner_) owner_->Remove(this);
  owner_ = owner;
  if (owner_) owner_->components_.push_back(this);
}

void TComponent::Remove(TComponent* c) {
  auto it = std::find(components_.begin(), components_.end(), c);
  if (it != components_.end()) components_.erase(it);
}

}  // namespace gui
