#include "model/cursor_list.h"

#include <gtest/gtest.h>

namespace {

// A list of five ints 0..4 with the cursor on `current`.
struct FiveList {
  int items[5] = {0, 1, 2, 3, 4};
  CursorList<int> list;
  explicit FiveList(int current) {
    for (int& i : items) list.InsertAfterCurrent(&i);
    list.GoTo(current);
  }
};

TEST(CursorList, GoToChoosesTheShortestWalk) {
  FiveList f(3);
  // From 3 to 1: the head is nearer than the current node.
  EXPECT_TRUE(f.list.GoTo(1));
  EXPECT_EQ(f.list.CurrentIndex(), 1);
  EXPECT_EQ(*f.list.CurrentItem(), 1);
  FiveList g(3);
  EXPECT_TRUE(g.list.GoTo(4));
  EXPECT_EQ(*g.list.CurrentItem(), 4);
  FiveList h(1);
  EXPECT_TRUE(h.list.GoTo(3));  // a tie with the tail walks from the current node
  EXPECT_EQ(*h.list.CurrentItem(), 3);
  EXPECT_FALSE(h.list.GoTo(5));
  EXPECT_FALSE(h.list.GoTo(-1));
  EXPECT_EQ(h.list.CurrentIndex(), 3);
}

TEST(CursorList, IndexOfSearchesForwardFromTheCursor) {
  FiveList f(3);
  EXPECT_EQ(f.list.IndexOf(&f.items[1]), -1);
  EXPECT_EQ(f.list.CurrentIndex(), 3);
  f.list.First();
  EXPECT_EQ(f.list.IndexOf(&f.items[1]), 1);
  EXPECT_EQ(f.list.CurrentIndex(), 1);
}

TEST(CursorList, RemoveMovesToTheNextOrThePrevious) {
  FiveList f(2);
  EXPECT_TRUE(f.list.RemoveCurrent());
  EXPECT_EQ(f.list.CurrentIndex(), 2);
  EXPECT_EQ(*f.list.CurrentItem(), 3);
  f.list.Last();
  EXPECT_TRUE(f.list.RemoveCurrent());
  EXPECT_EQ(f.list.CurrentIndex(), 2);
  EXPECT_EQ(*f.list.CurrentItem(), 3);
  EXPECT_EQ(f.list.Count(), 3);

  int only = 7;
  CursorList<int> one;
  one.InsertBeforeCurrent(&only);
  EXPECT_TRUE(one.RemoveCurrent());
  EXPECT_EQ(one.CurrentItem(), nullptr);
  EXPECT_EQ(one.CurrentIndex(), 0);
  EXPECT_FALSE(one.RemoveCurrent());
}

TEST(CursorList, InsertAndSwapKeepIndexes) {
  FiveList f(2);
  int extra = 9;
  f.list.InsertBeforeCurrent(&extra);
  EXPECT_EQ(f.list.CurrentIndex(), 2);
  EXPECT_EQ(f.list.Count(), 6);
  f.list.Next();
  EXPECT_EQ(*f.list.CurrentItem(), 2);
  EXPECT_TRUE(f.list.SwapWithPrev());
  EXPECT_EQ(f.list.CurrentIndex(), 2);
  EXPECT_EQ(*f.list.CurrentItem(), 2);
  EXPECT_EQ(*f.list.At(3), 9);
  f.list.Last();
  EXPECT_FALSE(f.list.SwapWithNext());
  f.list.First();
  EXPECT_FALSE(f.list.SwapWithPrev());
  EXPECT_FALSE(f.list.Prev());
  std::vector<int> order;
  f.list.ForEach([&](int* i) { order.push_back(*i); });
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 9, 3, 4}));
}

}  // namespace
