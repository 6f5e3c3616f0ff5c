#include "RawLayer/RawList.h"

#include <algorithm>
#include <vector>

#include "RawLayer/RawScopedLock.h"

namespace RawLayer {

namespace {

// Code unit i as a number: 16-bit units for Wide, unsigned bytes otherwise.
uint32_t OrdinalUnit(const RawString& text, int32_t i) {
    if (text.IsWide()) return text.WideUnits()[i];
    return static_cast<uint8_t>(text.Bytes()[i]);
}

bool NamesEqual(const RawString& a, const RawString& b, bool exact) {
    return exact ? a.Equals(b) : a.EqualsIgnoreCase(b);
}

// A part of the chain still to be sorted: [first, end).
struct PendingRange {
    RawListNode* first;
    RawListNode* end;
};

}  // namespace

// ---- body and chain ----

void RawListBody::NewBody() {
    body_ = new RawListStorage;
    body_->lock = 0;
    body_->shareCount = 0;
    body_->sentinel.previous = &body_->sentinel;
    body_->sentinel.next = &body_->sentinel;
    body_->sentinel.element = &body_->sentinel;
    body_->count = 0;
}

void RawListBody::ShareBody(const RawListBody& other) {
    RawListStorage* shared = other.body_;
    {
        RawScopedSpinLock lock(shared->lock);
        ++shared->shareCount;
    }
    body_ = shared;
}

void RawListBody::ReleaseBody() {
    if (!body_) return;
    int32_t holders;
    {
        RawScopedSpinLock lock(body_->lock);
        holders = body_->shareCount--;
    }
    if (holders == 0) {
        // Last holder: this handle's allocator disposes of what is left.
        while (body_->count > 0) Remove(FirstNode());
        delete body_;
    }
    body_ = nullptr;
}

RawListNode* RawListBody::AppendElement(void* element) { return InsertBefore(EndNode(), element); }

RawListNode* RawListBody::InsertBefore(RawListNode* position, void* element) {
    RawListNode* node = new RawListNode{position->previous, position, element};
    position->previous->next = node;
    position->previous = node;
    ++body_->count;
    return node;
}

RawListNode* RawListBody::UnlinkNode(RawListNode* node) {
    RawListNode* next = node->next;
    node->previous->next = next;
    next->previous = node->previous;
    node->element = nullptr;
    delete node;
    --body_->count;
    return next;
}

void RawListBody::Remove(RawListNode* node) {
    if (!node || IsEnd(node)) return;
    void* element = node->element;
    UnlinkNode(node);
    allocator_->Release(element);
}

void RawListBody::RemoveAll() {
    while (Count() > 0) Remove(FirstNode());
}

void RawListBody::Reset() {
    ReleaseBody();
    NewBody();
}

// ---- sorting ----

RawListNode* RawListBody::Partition(RawListNode* pivot, RawListNode* end, RawListSort& sort) {
    RawListNode* front = pivot;
    RawListNode* node = pivot->next;
    while (node != end) {
        void* element = node->element;
        if (sort.Compare(pivot->element, element) > 0) {
            node = UnlinkNode(node);
            front = InsertBefore(front, element);
        } else {
            node = node->next;
        }
    }
    return front;
}

// The moved part of each partition is sorted before the rest, exactly as a recursive sort
// would do it, but the rest waits on a heap stack: some orders of input would otherwise
// recurse once per element and exhaust the thread's stack. Ranges are disjoint and sorting
// one never touches the nodes of another, so the waiting bounds stay valid.
void RawListBody::Sort(RawListNode* first, RawListNode* end, RawListSort& sort) {
    std::vector<PendingRange> pending;
    for (;;) {
        while (first != end && first->next != end) {
            RawListNode* pivot = first;
            RawListNode* front = Partition(pivot, end, sort);
            if (front != pivot) {
                if (pivot->next != end) pending.push_back({pivot->next, end});
                first = front;
                end = pivot;
            } else {
                first = pivot->next;
            }
        }
        if (pending.empty()) return;
        first = pending.back().first;
        end = pending.back().end;
        pending.pop_back();
    }
}

int CompareOrdinal(const RawString& a, const RawString& b) {
    const int32_t shorter = std::min(a.Length(), b.Length());
    for (int32_t i = 0; i < shorter; ++i) {
        const uint32_t unitA = OrdinalUnit(a, i);
        const uint32_t unitB = OrdinalUnit(b, i);
        if (unitA != unitB) return unitA < unitB ? -1 : 1;
    }
    if (a.Length() == b.Length()) return 0;
    return a.Length() < b.Length() ? -1 : 1;
}

// ---- concrete lists ----

bool RawStringList::Contains(const RawString& text) const {
    for (const RawString& item : *this) {
        if (NamesEqual(item, text, caseSensitive_)) return true;
    }
    return false;
}

RawListNode* RawStringList::FindOrAdd(const RawString& text) {
    for (auto it = begin(); it != end(); ++it) {
        if (NamesEqual(*it, text, caseSensitive_)) return it.Node();
    }
    return Add(text);
}

void RawParameterListAllocator::Release(RawParameterUnit* element) {
    // Members go in reverse order: the value, then the name.
    delete element;
}

RawParameterUnit* RawParameterList::Find(const RawString& name) const {
    for (RawParameterUnit& unit : *this) {
        if (NamesEqual(unit.name, name, caseSensitive_)) return &unit;
    }
    return nullptr;
}

RawParameterUnit* RawParameterList::Add(const RawString& name) { return Add(name, RawString()); }

RawParameterUnit* RawParameterList::Add(const RawString& name, const RawString& value) {
    RawParameterUnit* unit = new RawParameterUnit{name, value, 0};
    AppendElement(unit);
    return unit;
}

RawParameterUnit* RawParameterList::FindOrAdd(const RawString& name) {
    RawParameterUnit* unit = Find(name);
    return unit ? unit : Add(name);
}

RawRange* RawRangeList::At(int32_t index) const {
    if (index < 0 || index >= Count()) return nullptr;
    RawListNode* node = FirstNode();
    for (int32_t i = 0; i < index; ++i) node = node->next;
    return Element(node);
}

bool RawLocaleRecordList::Contains(const RawLocaleRecord* table) const {
    for (const RawLocaleRecord& record : *this) {
        if (&record == table) return true;
    }
    return false;
}

}  // namespace RawLayer
