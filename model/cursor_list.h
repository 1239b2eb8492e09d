#pragma once

#include <cstdint>
#include <cstdlib>
#include <utility>

// A doubly linked list that remembers a current node and its index. The list owns its
// nodes, never the items: whoever removes an item destroys it. Operations that fail return
// false and leave the list as it was.
template <typename T>
class CursorList {
 public:
  CursorList() = default;
  ~CursorList() { Clear(); }
  CursorList(const CursorList&) = delete;
  CursorList& operator=(const CursorList&) = delete;

  int32_t Count() const { return count_; }
  int32_t CurrentIndex() const { return currentIndex_; }
  bool Empty() const { return count_ == 0; }

  // Makes node `index` current by the shortest walk: from the tail, the head or the
  // current node. A tie between the tail distance and the current distance keeps the
  // walk from the current node.
  bool GoTo(int32_t index) {
    if (index < 0 || index >= count_) return false;
    const int32_t d = std::abs(currentIndex_ - index);
    if (count_ - index - 1 < d) {
      current_ = tail_;
      currentIndex_ = count_ - 1;
    } else if (index < d) {
      current_ = head_;
      currentIndex_ = 0;
    }
    while (currentIndex_ > index) {
      current_ = current_->prev;
      --currentIndex_;
    }
    while (currentIndex_ < index) {
      current_ = current_->next;
      ++currentIndex_;
    }
    return true;
  }

  bool First() {
    if (!head_) return false;
    current_ = head_;
    currentIndex_ = 0;
    return true;
  }
  bool Last() {
    if (!tail_) return false;
    current_ = tail_;
    currentIndex_ = count_ - 1;
    return true;
  }
  bool Next() {
    if (!current_ || !current_->next) return false;
    current_ = current_->next;
    ++currentIndex_;
    return true;
  }
  bool Prev() {
    if (!current_ || !current_->prev) return false;
    current_ = current_->prev;
    --currentIndex_;
    return true;
  }

  T* CurrentItem() const { return current_ ? current_->data : nullptr; }

  // The item at `index` (moves the cursor there), or null.
  T* At(int32_t index) { return GoTo(index) ? current_->data : nullptr; }

  void InsertAfterCurrent(T* item) {
    Node* node = new Node{current_, nullptr, item};
    if (!current_) {
      head_ = tail_ = node;
      currentIndex_ = 0;
    } else {
      node->next = current_->next;
      if (current_->next) current_->next->prev = node; else tail_ = node;
      current_->next = node;
      ++currentIndex_;
    }
    current_ = node;
    ++count_;
  }

  void InsertBeforeCurrent(T* item) {
    Node* node = new Node{nullptr, current_, item};
    if (!current_) {
      head_ = tail_ = node;
      currentIndex_ = 0;
    } else {
      node->prev = current_->prev;
      if (current_->prev) current_->prev->next = node; else head_ = node;
      current_->prev = node;
    }
    current_ = node;
    ++count_;
  }

  // Unlinks the current node; the next node becomes current at the same index, or the
  // previous one at index - 1.
  bool RemoveCurrent() {
    if (!current_) return false;
    Node* node = current_;
    if (node->prev) node->prev->next = node->next; else head_ = node->next;
    if (node->next) node->next->prev = node->prev; else tail_ = node->prev;
    if (node->next) {
      current_ = node->next;
    } else {
      current_ = node->prev;
      if (currentIndex_ > 0) --currentIndex_;
    }
    delete node;
    --count_;
    return true;
  }

  bool SwapWithPrev() {
    if (!current_ || !current_->prev) return false;
    std::swap(current_->data, current_->prev->data);
    current_ = current_->prev;
    --currentIndex_;
    return true;
  }
  bool SwapWithNext() {
    if (!current_ || !current_->next) return false;
    std::swap(current_->data, current_->next->data);
    current_ = current_->next;
    ++currentIndex_;
    return true;
  }

  // Searches forward from the current node; the found node becomes current.
  int32_t IndexOf(const T* item) {
    Node* node = current_;
    int32_t index = currentIndex_;
    for (; node; node = node->next, ++index) {
      if (node->data == item) {
        current_ = node;
        currentIndex_ = index;
        return index;
      }
    }
    return -1;
  }

  void Clear() {
    Node* node = head_;
    while (node) {
      Node* next = node->next;
      delete node;
      node = next;
    }
    head_ = tail_ = current_ = nullptr;
    currentIndex_ = 0;
    count_ = 0;
  }

  // Walks the items in order without moving the cursor.
  template <typename F>
  void ForEach(F&& f) const {
    for (Node* node = head_; node; node = node->next) f(node->data);
  }

  // Exchanges the whole contents with another list.
  void Swap(CursorList& other) {
    std::swap(head_, other.head_);
    std::swap(tail_, other.tail_);
    std::swap(current_, other.current_);
    std::swap(currentIndex_, other.currentIndex_);
    std::swap(count_, other.count_);
  }

 private:
  struct Node {
    Node* prev;
    Node* next;
    T* data;
  };

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  Node* current_ = nullptr;
  int32_t currentIndex_ = 0;
  int32_t count_ = 0;
};
