// Components and collections: the bases of everything that is placed on a
// form or in a report.
//
// Ownership: components live on the heap. A component created with an owner
// is deleted by that owner's destructor (children last to first); deleting a
// component takes it out of its owner. Never delete an owned component twice
// and never keep one in a smart pointer while it has an owner.
//
// Destruction runs in the base destructor, after the derived parts are gone:
// the component tells everyone that asked for a free notification, then
// deletes what it owns, then leaves its owner. A derived class that must hear
// about its own children going away (its Notification override) calls
// DestroyComponents() in its own destructor.
//
// Published-property reflection (typinfo.h) describes these classes too:
// TComponent publishes Name and Tag.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"

namespace rtl {

enum TOperation { opInsert, opRemove };

// ComponentState flags.
enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csAncestor = 1u << 5,
  csUpdating = 1u << 6,
  csFixups = 1u << 7,
  csFreeNotification = 1u << 8,
  csInline = 1u << 9,
  csDesignInstance = 1u << 10,
};
using TComponentState = unsigned;

// A name a component may carry: a letter or "_", then letters, digits or "_" (ASCII).
bool IsValidIdent(std::string_view name);

class TComponent : public TPersistent {
  RTL_CLASS_INFO
 public:
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  TPersistent* GetOwner() const override { return owner_; }
  AnsiString GetNamePath() const override { return name_; }

  const AnsiString& Name() const { return name_; }
  // Raises EComponentError "'<name>' is not a valid component name" or
  // "A component named <name> already exists" (among the owner's components).
  virtual void SetName(const AnsiString& name);

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  // Position in the owner's list, -1 without an owner.
  int ComponentIndex() const;
  // The owned component of that name, compared without regard to 1251 case.
  TComponent* FindComponent(std::string_view name) const;

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Deletes every owned component, last first.
  void DestroyComponents();

  // Asks to hear (Notification opRemove) when component is destroyed. Two
  // components of one owner hear of each other through that owner anyway.
  void FreeNotification(TComponent* component);
  // The same link also between two components of one owner, for owners
  // that do not pass every removal on to all they own.
  void FreeNotificationAlways(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  TComponentState ComponentState() const { return state_; }
  bool HasState(TComponentState flags) const { return (state_ & flags) != 0; }
  void SetComponentState(TComponentState flags) { state_ |= flags; }
  void ClearComponentState(TComponentState flags) { state_ &= ~flags; }
  // Marks this component and its owned ones as being destroyed.
  void Destroying();
  // Marks this component and its owned ones as loading (csLoading).
  void BeginLoading();
  // Called after loading: clears csLoading. Overrides finish their set-up here.
  virtual void Loaded();
  // Calls Loaded on the owned components and then on this one.
  void EndLoading();
  void SetDesigning(bool designing, bool includeOwned = true);

  std::intptr_t Tag = 0;

 protected:
  // Hears of components inserted into or removed from this one's tree and of
  // destroyed components it asked about. The base forgets a destroyed
  // component's free notification and passes the news to the owned components.
  virtual void Notification(TComponent* component, TOperation operation);
  // Checks a new name among the owned components.
  virtual void ValidateRename(TComponent* component, const AnsiString& current, const AnsiString& newName);
  virtual void SetChildOwnerState(TComponent*) {}

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  AnsiString name_;
  std::vector<TComponent*> components_;
  std::uint64_t componentsVersion_ = 0;  // moves on with every insert and removal
  std::vector<TComponent*> freeNotifies_;
  TComponentState state_ = 0;
};

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  RTL_CLASS_INFO
 public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item into another collection (or out of any, with nullptr).
  void SetCollection(TCollection* collection);
  int Index() const;
  void SetIndex(int index);
  // A number unique within the collection, never reused.
  int ID() const { return id_; }
  virtual AnsiString DisplayName() const { return ClassName(); }
  TPersistent* GetOwner() const override;
  AnsiString GetNamePath() const override;

 protected:
  // Tells the collection that this item (or, with allItems, every item) changed.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

// A list of items of one class. In place of a class reference the collection
// takes a factory that makes an item inside it: TCollection::Of<TMyItem>().
class TCollection : public TPersistent {
  RTL_CLASS_INFO
 public:
  using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
  explicit TCollection(ItemFactory itemClass, TPersistent* owner = nullptr);
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  template <class Item>
  static ItemFactory Of() {
    return [](TCollection* c) -> TCollectionItem* { return new Item(c); };
  }

  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int index) const;
  TCollectionItem* operator[](int index) const { return Items(index); }
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  TCollectionItem* FindItemID(int id) const;
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  // Copies a collection: clears this one and adds an item for each source
  // item, assigning it from the source item.
  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }
  AnsiString GetNamePath() const override;
  // The name of the property that holds this collection in its owner.
  AnsiString PropName;

 protected:
  // Something changed: item, or every item when null. Not during updates.
  virtual void Update(TCollectionItem* item);
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void MoveItem(TCollectionItem* item, int index);

  ItemFactory itemClass_;
  TPersistent* owner_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};

}  // namespace rtl
