// The one list family: a circular doubly linked chain of heap nodes behind a shared,
// counted body. Copies of a handle share the body; the allocator of the handle that releases
// the body last disposes of the elements (owning lists free them, the others leave them).
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"

namespace RawLayer {

struct RawListNode {
    RawListNode* previous;
    RawListNode* next;
    void* element;  // the sentinel's element points at the sentinel itself
};

struct RawListStorage {
    volatile LONG lock;     // a spin lock guarding shareCount only
    int32_t shareCount;     // handles beyond the first
    RawListNode sentinel;
    int32_t count;
};

class RawListSort;

class RawListProperty {
public:
    class Allocator {
    public:
        virtual ~Allocator() = default;
        virtual void Release(void* element) = 0;
    };

protected:
    RawListStorage* body_ = nullptr;
    Allocator* allocator_ = nullptr;
};

template <class T>
class RawListAllocator : public RawListProperty::Allocator {
public:
    void Release(void* element) override { Release(static_cast<T*>(element)); }
    virtual void Release(T* element) = 0;
};

// Untyped chain operations.
class RawListBody : public RawListProperty {
public:
    int32_t Count() const { return body_->count; }
    RawListNode* FirstNode() const { return body_->sentinel.next; }
    RawListNode* EndNode() const { return &body_->sentinel; }
    static bool IsEnd(const RawListNode* node) { return node->element == node; }
    bool SharesBodyWith(const RawListBody& other) const { return body_ == other.body_; }

    // Unlinks the node and disposes of its element; the end node is left alone.
    void Remove(RawListNode* node);
    // Removes and disposes of every element of the body: every handle sharing it sees an
    // empty list afterwards.
    void RemoveAll();
    // Releases this handle's share of the body and starts a new, empty body; other handles
    // keep the old entries.
    void Reset();
    // Chain quicksort of [first, end) with the first node of the range as pivot. Moved
    // elements get new nodes, so nodes taken before a sort are invalid afterwards. Elements
    // moved in front of a pivot end up in reverse order of encounter (not stable).
    void Sort(RawListNode* first, RawListNode* end, RawListSort& sort);
    void Sort(RawListSort& sort) { Sort(FirstNode(), EndNode(), sort); }

protected:
    void NewBody();
    void ShareBody(const RawListBody& other);
    void ReleaseBody();
    RawListNode* AppendElement(void* element);
    RawListNode* UnlinkNode(RawListNode* node);  // frees the node, returns its next
    RawListNode* InsertBefore(RawListNode* position, void* element);

private:
    // Moves every node after the pivot, up to end, that sorts before it in front of the
    // pivot; returns the first node of the moved part (the pivot when none moved).
    RawListNode* Partition(RawListNode* pivot, RawListNode* end, RawListSort& sort);
};

template <class T>
class RawListIterator {
public:
    explicit RawListIterator(RawListNode* node) : node_(node) {}
    T& operator*() const { return *static_cast<T*>(node_->element); }
    T* operator->() const { return static_cast<T*>(node_->element); }
    RawListIterator& operator++() {
        node_ = node_->next;
        return *this;
    }
    bool operator!=(const RawListIterator& other) const { return node_ != other.node_; }
    RawListNode* Node() const { return node_; }

private:
    RawListNode* node_;
};

// Typed operations for class elements.
template <class T>
class RawListBodyR : public RawListBody {
public:
    static T* Element(RawListNode* node) { return static_cast<T*>(node->element); }
    T* First() const { return Count() ? Element(FirstNode()) : nullptr; }
    T* Last() const { return Count() ? Element(EndNode()->previous) : nullptr; }
    RawListNode* Add(T* element) { return AppendElement(element); }
    RawListIterator<T> begin() const { return RawListIterator<T>(FirstNode()); }
    RawListIterator<T> end() const { return RawListIterator<T>(EndNode()); }
};

// Typed operations for plain record elements: the same as for class elements.
template <class T>
using RawListBodyP = RawListBodyR<T>;

// List handle: its own allocator comes first, so the handle is its own allocator.
template <class Alloc, class Body>
class RawListHandle : public Alloc, public Body {
public:
    RawListHandle() {
        this->allocator_ = this;
        this->NewBody();
    }
    RawListHandle(const RawListHandle& other) : Alloc(), Body() {
        this->allocator_ = this;
        this->ShareBody(other);
    }
    RawListHandle& operator=(const RawListHandle& other) {
        if (this->body_ != other.body_) {
            RawListStorage* old = this->body_;
            this->ShareBody(other);
            RawListStorage* shared = this->body_;
            this->body_ = old;
            this->ReleaseBody();
            this->body_ = shared;
        }
        return *this;
    }
    ~RawListHandle() override { this->ReleaseBody(); }
};

template <class Alloc, class T>
using RawListR = RawListHandle<Alloc, RawListBodyR<T>>;
template <class Alloc, class T>
using RawListP = RawListHandle<Alloc, RawListBodyP<T>>;

// A comparison made for one list; the list sorts itself (RawListBody::Sort) and keeps its own
// count, so the sort keeps nothing of it.
class RawListSort {
public:
    explicit RawListSort(RawListProperty&) {}
    virtual ~RawListSort() = default;
    virtual int Compare(void* a, void* b) = 0;
};

template <class T>
class RawListSortR : public RawListSort {
public:
    using RawListSort::RawListSort;
    int Compare(void* a, void* b) override { return Compare(static_cast<T*>(a), static_cast<T*>(b)); }
    virtual int Compare(T* a, T* b) = 0;
};

// Ordinal comparison of two strings' code units; no case folding.
int CompareOrdinal(const RawString& a, const RawString& b);

// ---- concrete lists ----

class RawStringListAllocator : public RawListAllocator<RawString> {
public:
    using RawListAllocator<RawString>::Release;
    void Release(RawString* element) override { delete element; }
};

class RawStringList : public RawListR<RawStringListAllocator, RawString> {
public:
    RawListNode* Add(const RawString& text) { return AppendElement(new RawString(text)); }
    bool Contains(const RawString& text) const;
    // Node of the first equal element, or of a copy of text appended at the tail.
    RawListNode* FindOrAdd(const RawString& text);
    void SetCaseSensitive(bool exact) { caseSensitive_ = exact; }
    bool CaseSensitive() const { return caseSensitive_; }

private:
    bool caseSensitive_ = false;
};

struct RawParameterUnit {
    RawString name;
    RawString value;
    int32_t tag = 0;
};

class RawParameterListAllocator : public RawListAllocator<RawParameterUnit> {
public:
    using RawListAllocator<RawParameterUnit>::Release;
    void Release(RawParameterUnit* element) override;
};

// Name/value table; also the in-memory form of one profile section.
class RawParameterList : public RawListR<RawParameterListAllocator, RawParameterUnit> {
public:
    RawParameterUnit* Find(const RawString& name) const;
    RawParameterUnit* Add(const RawString& name);
    RawParameterUnit* Add(const RawString& name, const RawString& value);
    RawParameterUnit* FindOrAdd(const RawString& name);
    void SetCaseSensitive(bool exact) { caseSensitive_ = exact; }
    bool CaseSensitive() const { return caseSensitive_; }

private:
    bool caseSensitive_ = false;
};

class RawRangeListAllocator : public RawListAllocator<RawRange> {
public:
    using RawListAllocator<RawRange>::Release;
    void Release(RawRange* element) override { delete element; }
};

class RawRangeList : public RawListR<RawRangeListAllocator, RawRange> {
public:
    RawListNode* Add(int32_t start, int32_t end) { return AppendElement(new RawRange{start, end}); }
    // The range at index, or nullptr.
    RawRange* At(int32_t index) const;
};

// First record of a text table: tag and default text. Tables are static and never copied.
struct RawLocaleRecord {
    RawString tag;
    RawString defaultText;
};

class RawLocaleRecordListAllocator : public RawListAllocator<RawLocaleRecord> {
public:
    using RawListAllocator<RawLocaleRecord>::Release;
    void Release(RawLocaleRecord*) override {}  // tables are not owned
};

class RawLocaleRecordList : public RawListP<RawLocaleRecordListAllocator, RawLocaleRecord> {
public:
    bool Contains(const RawLocaleRecord* table) const;
};

class RawStringListSort : public RawListSortR<RawString> {
public:
    using RawListSortR<RawString>::RawListSortR;
    using RawListSortR<RawString>::Compare;
    int Compare(RawString* a, RawString* b) override { return CompareOrdinal(*a, *b); }
};

class RawParameterListSort : public RawListSortR<RawParameterUnit> {
public:
    using RawListSortR<RawParameterUnit>::RawListSortR;
    using RawListSortR<RawParameterUnit>::Compare;
    int Compare(RawParameterUnit* a, RawParameterUnit* b) override { return CompareOrdinal(a->name, b->name); }
};

}  // namespace RawLayer
