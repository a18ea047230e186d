#include "document/StateEntries.h"

#include <algorithm>
#include <utility>

#include "figures/Exceptions.h"
#include "figures/Streams.h"

namespace {

TImageState Slice(const TImageState& State, size_t From, size_t To) {
  return TImageState(State.begin() + std::ptrdiff_t(From), State.begin() + std::ptrdiff_t(To));
}

TImageState HeaderOf(const TFiguresCollection& Image) {
  TMemoryStream header;
  Image.Header().Write(header);
  return header.TakeData();
}

}  // namespace

TImageState TStateEntries::Write(TFiguresCollection& Image) {
  TMemoryStream container;
  Image.Header().Write(container);
  FStarts.clear();
  FStarts.reserve(size_t(Image.Count()) + 1);
  for (const TBasicFigure* figure : Image.Figures()) {
    FStarts.push_back(size_t(container.Position()) - StateHeadBytes);
    TFiguresCollection::SaveEntry(container, *figure);
  }
  FStarts.push_back(size_t(container.Position()) - StateHeadBytes);
  Image.TakeEntryChanges();
  return container.TakeData();
}

TImageState TStateEntries::WriteEntries(TFiguresCollection& Image, int32_t First, int32_t Last,
                                        std::vector<size_t>& Ends) {
  TMemoryStream entries;
  PFigureNode node = Image.NodeAt(First);
  for (int32_t i = First; i < Last; ++i, node = node->Next) {
    TFiguresCollection::SaveEntry(entries, *node->Figure);
    Ends.push_back(size_t(entries.Position()));
  }
  return entries.TakeData();
}

void TStateEntries::Remap(size_t First, size_t Last, const std::vector<size_t>& Ends, std::ptrdiff_t Delta) {
  for (size_t i = Last + 1; i < FStarts.size(); ++i) FStarts[i] = size_t(std::ptrdiff_t(FStarts[i]) + Delta);
  const size_t base = FStarts[First];
  std::vector<size_t> starts(Ends.size());
  std::transform(Ends.begin(), Ends.end(), starts.begin(), [base](size_t End) { return base + End; });
  const auto from = FStarts.begin() + std::ptrdiff_t(First + 1);
  FStarts.insert(FStarts.erase(from, from + std::ptrdiff_t(Last - First)), starts.begin(), starts.end());
}

TStateChange TStateEntries::Difference(const TImageState& State, TFiguresCollection& Image) {
  TEntryChanges changes = Image.TakeEntryChanges();
  if (changes.Whole || FStarts.empty() || State.size() < StateHeadBytes)
    return StateDifference(State, Write(Image));
  TStateChange change{Slice(State, 0, StateHeadBytes), HeaderOf(Image), {}};
  if (!changes.Ranged && !EntryRuns(State, changes.Entries, change)) {
    // An entry changed its length: the entries between the first and the
    // last changed make one run.
    const auto [lowest, highest] = std::ranges::minmax(changes.Entries, {}, &TEntryChanges::TEntry::Position);
    changes.Below = lowest.Position;
    changes.Above = Image.Count() - 1 - highest.Position;
    changes.Ranged = true;
    change.Runs.clear();
  }
  if (changes.Ranged) RangeRuns(State, Image, changes.Below, changes.Above, change);
  return change;
}

bool TStateEntries::EntryRuns(const TImageState& State, std::vector<TEntryChanges::TEntry> Entries,
                              TStateChange& Change) {
  const auto byPosition = [](const TEntryChanges::TEntry& A, const TEntryChanges::TEntry& B) {
    return A.Position < B.Position;
  };
  std::ranges::sort(Entries, byPosition);
  const auto samePosition = [](const TEntryChanges::TEntry& A, const TEntryChanges::TEntry& B) {
    return A.Position == B.Position;
  };
  Entries.erase(std::unique(Entries.begin(), Entries.end(), samePosition), Entries.end());
  for (const TEntryChanges::TEntry& changed : Entries) {
    const size_t p = size_t(changed.Position);
    if (changed.Node == nullptr || p + 1 >= FStarts.size()) return false;
    TMemoryStream entry;
    TFiguresCollection::SaveEntry(entry, *changed.Node->Figure);
    const size_t start = FStarts[p], end = FStarts[p + 1];
    if (size_t(entry.Size()) != end - start) return false;
    AppendRuns(Slice(State, StateHeadBytes + start, StateHeadBytes + end), entry.Data(), start, Change.Runs);
  }
  return true;
}

void TStateEntries::RangeRuns(const TImageState& State, TFiguresCollection& Image, int32_t Below, int32_t Above,
                              TStateChange& Change) {
  const int32_t oldCount = int32_t(Count()), newCount = Image.Count();
  const int32_t first = std::min({Below, oldCount, newCount});
  const int32_t above = std::min({Above, oldCount - first, newCount - first});
  const int32_t oldLast = oldCount - above, newLast = newCount - above;
  std::vector<size_t> ends;
  const TImageState entries = WriteEntries(Image, first, newLast, ends);
  const size_t start = FStarts[size_t(first)], end = FStarts[size_t(oldLast)];
  AppendRuns(Slice(State, StateHeadBytes + start, StateHeadBytes + end), entries, start, Change.Runs);
  Remap(size_t(first), size_t(oldLast), ends, std::ptrdiff_t(entries.size()) - std::ptrdiff_t(end - start));
}

void TStateEntries::Revert(const TImageState& State, TFiguresCollection& Image) {
  TEntryChanges changes = Image.TakeEntryChanges();
  if (changes.Empty()) return;
  if (changes.Whole || changes.Ranged || FStarts.empty()) {
    ReadWhole(State, Image);
    return;
  }
  try {
    UpdateInBatch(Image, [&] {
      for (const TEntryChanges::TEntry& changed : changes.Entries) {
        const size_t p = size_t(changed.Position);
        const size_t length = FStarts.at(p + 1) - FStarts[p];
        ReadChangedEntries(State, Image, FStarts[p], length, length);
      }
    });
    Image.TakeEntryChanges();
  } catch (...) {
    ReadWhole(State, Image);
  }
}

void TStateEntries::Apply(const TStateChange& Change, bool Forward, const TImageState& State,
                          TFiguresCollection& Image) {
  try {
    TReadOnlyStream headerStream(State);
    const TKriHeader header = TKriHeader::Read(headerStream);
    if (!Image.TakeEntryChanges().Empty() || FStarts.empty() || !(header.ImageRect == Image.ImageRect())) {
      ReadWhole(State, Image);
      return;
    }
    UpdateInBatch(Image, [&] {
      // From the last run back, so that the map still holds for the earlier
      // ones when a run changes the number of entries.
      for (auto run = Change.Runs.rbegin(); run != Change.Runs.rend(); ++run) {
        const TImageState& from = Forward ? run->Before : run->After;
        const TImageState& to = Forward ? run->After : run->Before;
        ReadChangedEntries(State, Image, run->Offset, from.size(), to.size());
      }
      if (Image.Count() != header.Count || FStarts.back() + StateHeadBytes != State.size()) throw EReadError();
      if (Image.BackgroundColor() != header.BackgroundColor) Image.SetBackgroundColor(header.BackgroundColor);
      const PFigureNode selected = Image.NodeAt(header.Selected);
      Image.SetSelected(selected != nullptr ? selected->Figure : nullptr);
    });
    Image.TakeEntryChanges();
  } catch (...) {
    ReadWhole(State, Image);
  }
}

void TStateEntries::ReadChangedEntries(const TImageState& State, TFiguresCollection& Image, size_t From,
                                       size_t OldLength, size_t NewLength) {
  const size_t count = Count();
  const std::ptrdiff_t delta = std::ptrdiff_t(NewLength) - std::ptrdiff_t(OldLength);
  // The entries First .. Last - 1 cover the old bytes; the new ones are
  // read from the same start until they end where an old entry ended.
  const size_t first = size_t(std::upper_bound(FStarts.begin(), FStarts.end(), From) - FStarts.begin()) - 1;
  size_t last = size_t(std::lower_bound(FStarts.begin(), FStarts.end(), From + OldLength) - FStarts.begin());
  TReadOnlyStream stream(State);
  stream.Seek(int64_t(StateHeadBytes + FStarts[first]));
  std::vector<std::unique_ptr<TBasicFigure>> figures;
  std::vector<size_t> ends;
  for (;;) {
    const size_t at = size_t(stream.Position()) - StateHeadBytes;
    while (last <= count && std::ptrdiff_t(FStarts[last]) + delta < std::ptrdiff_t(at)) ++last;
    if (last > count) throw EReadError();
    if (std::ptrdiff_t(at) == std::ptrdiff_t(FStarts[last]) + delta && at >= From + NewLength) break;
    std::unique_ptr<TBasicFigure> figure = TFiguresCollection::ReadEntryClass(stream).Create(Image.Canvas());
    figure->LoadFromStream(stream);
    figures.push_back(std::move(figure));
    ends.push_back(size_t(stream.Position()) - StateHeadBytes - FStarts[first]);
  }
  // A figure whose class stays is read anew in place: views keep it.
  PFigureNode node = Image.NodeAt(int32_t(first));
  for (size_t i = 0; i < std::min(figures.size(), last - first); ++i, node = node->Next) {
    if (&node->Figure->ClassType() != &figures[i]->ClassType()) continue;
    stream.Seek(int64_t(StateHeadBytes + FStarts[first] + (i > 0 ? ends[i - 1] : 0)));
    TFiguresCollection::ReadEntryClass(stream);
    node->Figure->LoadFromStream(stream);
    figures[i].reset();
  }
  Image.ReplaceFigures(int32_t(first), int32_t(last - first), std::move(figures));
  Remap(first, last, ends, delta);
}

void TStateEntries::ReadWhole(const TImageState& State, TFiguresCollection& Image) {
  FStarts.clear();
  TReadOnlyStream stream(State);
  Image.LoadFromStream(stream);
  Write(Image);
}
