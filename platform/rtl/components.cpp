#include "platform/rtl/components.h"

#include <algorithm>
#include <iterator>

#include "platform/rtl/lists.h"
#include "platform/rtl/textcase.h"

namespace rtl {
namespace {

// From the end: components mostly go in the reverse order they came (an
// owner frees its last component first), so owners of very many components
// do not walk them all at every removal.
template <class T>
void Erase(std::vector<T*>& v, T* item) {
  auto it = std::find(v.rbegin(), v.rend(), item);
  if (it != v.rend()) v.erase(std::next(it).base());
}

bool Contains(const std::vector<TComponent*>& v, TComponent* c) { return std::find(v.begin(), v.end(), c) != v.end(); }

}  // namespace

bool IsValidIdent(std::string_view name) {
  if (name.empty()) return false;
  auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!alpha(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

// ---- TComponent ----

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell whoever asked; each of them forgets us in its Notification.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    Erase(other->freeNotifies_, this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) ListIndexError(index);
  return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (AnsiSameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::ValidateRename(TComponent* component, const AnsiString& current, const AnsiString& newName) {
  if (component && !AnsiSameText(current, newName) && component->owner_ == this && FindComponent(newName))
    throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::SetName(const AnsiString& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name)) throw EComponentError("'" + name + "' is not a valid component name");
  if (owner_)
    owner_->ValidateRename(this, name_, name);
  else
    ValidateRename(nullptr, name_, name);
  name_ = name;
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  ++componentsVersion_;
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  component->owner_ = nullptr;
  Erase(components_, component);
  ++componentsVersion_;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  if (component->owner_) component->owner_->RemoveComponent(component);
  if (!component->name_.empty()) ValidateRename(component, AnsiString(), component->name_);
  Insert(component);
  SetChildOwnerState(component);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* child = components_.back();
    // Out of the list first, so that the rest hear about it through us.
    RemoveComponent(child);
    delete child;
  }
}

void TComponent::Destroying() {
  if (state_ & csDestroying) return;
  state_ |= csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (!owner_ || component->owner_ != owner_) {
    if (!Contains(freeNotifies_, component)) freeNotifies_.push_back(component);
    if (!Contains(component->freeNotifies_, this)) component->freeNotifies_.push_back(this);
    component->state_ |= csFreeNotification;
  }
  state_ |= csFreeNotification;
}

void TComponent::FreeNotificationAlways(TComponent* component) {
  if (!component || component == this) return;
  if (!Contains(freeNotifies_, component)) freeNotifies_.push_back(component);
  if (!Contains(component->freeNotifies_, this)) component->freeNotifies_.push_back(this);
  component->state_ |= csFreeNotification;
  state_ |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  Erase(freeNotifies_, component);
  Erase(component->freeNotifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Copy: a handler may change the list.
  // Copy: a handler may change the list; only when it did is each child
  // looked for again (so one notice costs no more than the list is long).
  auto children = components_;
  const std::uint64_t version = componentsVersion_;
  for (TComponent* c : children)
    if (version == componentsVersion_ || Contains(components_, c)) c->Notification(component, operation);
}

void TComponent::BeginLoading() {
  state_ |= csLoading;
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::Loaded() { state_ &= ~csLoading; }

void TComponent::EndLoading() {
  auto children = components_;
  for (TComponent* c : children) c->EndLoading();
  Loaded();
}

void TComponent::SetDesigning(bool designing, bool includeOwned) {
  if (designing)
    state_ |= csDesigning;
  else
    state_ &= ~csDesigning;
  if (includeOwned)
    for (TComponent* c : components_) c->SetDesigning(designing, true);
}

// ---- TCollectionItem ----

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  auto& items = collection_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  if (collection_ && index != Index()) {
    collection_->MoveItem(this, index);
    Changed(true);
  }
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

AnsiString TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

// ---- TCollection ----

TCollection::TCollection(ItemFactory itemClass, TPersistent* owner) : itemClass_(std::move(itemClass)), owner_(owner) {}

TCollection::~TCollection() {
  ++updateCount_;  // no Update calls while going away
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
  return items_[static_cast<std::size_t>(index)];
}

TCollectionItem* TCollection::Add() {
  if (!itemClass_) throw EInvalidOperation("Collection has no item class");
  TCollectionItem* item = itemClass_(this);
  if (item->collection_ != this) item->SetCollection(this);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) ListIndexError(index);
  BeginUpdate();
  TCollectionItem* item;
  try {
    item = Add();
    item->SetIndex(index);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return item;
}

void TCollection::Delete(int index) {
  Notify(Items(index), cnDeleting);
  delete Items(index);
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) delete items_.back();
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (auto* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}
void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Assign(const TPersistent* source) {
  if (auto* other = dynamic_cast<const TCollection*>(source)) {
    if (other == this) return;
    BeginUpdate();
    try {
      Clear();
      for (auto* item : other->items_) Add()->Assign(item);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

AnsiString TCollection::GetNamePath() const {
  if (!owner_) return ClassName();
  AnsiString ownerPath = owner_->GetNamePath();
  if (ownerPath.empty() || PropName.empty()) return ClassName();
  return ownerPath + "." + PropName;
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextId_++;
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, cnExtracting);
  Erase(items_, item);
  item->collection_ = nullptr;
  Changed();
}

void TCollection::MoveItem(TCollectionItem* item, int index) {
  int from = item->Index();
  if (index < 0) index = 0;
  if (index >= Count()) index = Count() - 1;
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + index, item);
}

}  // namespace rtl
