#include "files/recovery_copies.h"

#include <gtest/gtest.h>

#include "files/cut_file.h"
#include "files/film.h"
#include "model/cut.h"
#include "tests/anim/cut_generator.h"
#include "tests/files/scratch_dir.h"

namespace {

using namespace std::chrono_literals;
using Clock = RecoveryCopies::Clock;

// One run of an editor: its film and open cuts, whether it is at rest, and what its start
// brought back. Destroyed without Close it ends as a crashed editor does.
struct Editor {
  Editor(const std::string& root, unsigned long process) : copies(Hooks(), film, '/') {
    copies.Start(root, 30, process, 0);
  }
  RecoveryHost Hooks() {
    RecoveryHost hooks;
    hooks.openCuts = [this] { return open; };
    hooks.atRest = [this] { return atRest; };
    hooks.filmRestored = [this] { ++filmsRestored; };
    hooks.openCut = [this](std::unique_ptr<Cut> cut) {
      restored.push_back(std::move(cut));
      return restored.back().get();
    };
    return hooks;
  }
  // What the previous runs left, all of it restored; the captions that failed.
  std::vector<std::string> RestoreAll() {
    const auto left = copies.FindLeftCopies();
    return copies.Settle(left, std::vector<RecoveryChoice>(left->Documents().size(),
                                                           RecoveryChoice::kRestore));
  }
  size_t LeftDocuments() { return copies.FindLeftCopies()->Documents().size(); }

  Film film;
  std::vector<Cut*> open;
  bool atRest = true;
  std::vector<std::unique_ptr<Cut>> restored;
  int filmsRestored = 0;
  RecoveryCopies copies;  // last: it goes first, after its writer has run
};

class RecoveryCopiesTest : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    cut_ = cutgen::MakeCut(5, cutgen::Options{});
    cut_->SetPath(At("work/a.cut"));
    cut_->MarkChanged(kChangeContent);
  }
  std::string Root() const { return At("recovery"); }

  std::unique_ptr<Cut> cut_;
  const Clock::time_point t0_ = Clock::now();
};

TEST_F(RecoveryCopiesTest, ACrashLeavesTheChangedCutAndTheNextStartBringsItBack) {
  {
    Editor crashed(Root(), 1);
    crashed.open = {cut_.get()};
    crashed.copies.OnTimer(t0_);  // the change is seen: a copy is due 30 seconds on
    crashed.copies.OnTimer(t0_ + 29s);
    crashed.atRest = false;  // due, but a drag is under way
    crashed.copies.OnTimer(t0_ + 31s);
  }
  {
    Editor next(Root(), 2);
    EXPECT_EQ(next.LeftDocuments(), 0u);
    next.copies.Close();
  }
  {
    Editor crashed(Root(), 3);
    crashed.open = {cut_.get()};
    crashed.copies.OnTimer(t0_);
    crashed.copies.OnTimer(t0_ + 31s);
  }
  Editor next(Root(), 4);
  EXPECT_TRUE(next.RestoreAll().empty());
  ASSERT_EQ(next.restored.size(), 1u);
  Cut& back = *next.restored[0];
  // Bound to its own file, changed, and the same cut.
  EXPECT_EQ(back.Path(), At("work/a.cut"));
  EXPECT_NE(back.StateFlags() & kStateUnsaved, 0u);
  ASSERT_TRUE(SaveCut(back, At("back.cut")) && SaveCut(*cut_, At("before.cut")));
  EXPECT_EQ(Read("back.cut"), Read("before.cut"));
  // The restored cut's first copy replaces the crashed editor's; a clean exit leaves none.
  next.copies.Close();
  Editor last(Root(), 5);
  EXPECT_EQ(last.LeftDocuments(), 0u);
  last.copies.Close();
}

TEST_F(RecoveryCopiesTest, TheFilmComesBackWithItsCuts) {
  {
    Editor crashed(Root(), 1);
    crashed.film.SetTitle("walk");
    ASSERT_TRUE(crashed.film.AddCut(cut_.get(), -1));
    ASSERT_TRUE(crashed.film.Modified());
    crashed.copies.OnDeactivated(t0_);  // copied at once
  }
  Editor next(Root(), 2);
  EXPECT_TRUE(next.RestoreAll().empty());
  EXPECT_EQ(next.filmsRestored, 1);
  EXPECT_TRUE(next.film.Modified());
  EXPECT_EQ(next.film.Title(), "walk");
  ASSERT_EQ(next.film.Count(), 1);
  EXPECT_EQ(next.film.PathAt(0), At("work/a.cut"));
  next.copies.Close();
}

TEST_F(RecoveryCopiesTest, WhatWasSavedOrClosedLeavesNothing) {
  auto other = cutgen::MakeCut(6, cutgen::Options{});
  other->MarkChanged(kChangeContent);
  {
    Editor crashed(Root(), 1);
    crashed.open = {cut_.get()};
    crashed.copies.OnDeactivated(t0_);
    cut_->SetStateFlags(cut_->StateFlags() & ~kStateUnsaved);  // saved
    crashed.copies.ForgetSaved();
    crashed.open = {other.get()};
    crashed.copies.OnDeactivated(t0_ + 1s);
    crashed.copies.Closed(*other);
  }
  Editor next(Root(), 2);
  EXPECT_EQ(next.LeftDocuments(), 0u);
  next.copies.Close();
}

}  // namespace
