// Where each figure's entry lies in the container of an image's current
// state, so that a step writes only the entries of the figures it changed
// (the collection notes them, TEntryChanges) and an undo or a redo reads
// back only the entries its change touches, into the figures in place. A
// figure read back keeps its identity when its class stays, so views that
// hold it need not list the figures anew.
//
// The container is the 33-byte header, then the entries one after the
// other without lengths: an entry's end is known only by reading it. The
// map keeps the offset of each entry from the end of the header, and of
// the end of the last.
#pragma once

#include <cstddef>
#include <vector>

#include "document/Collection.h"
#include "document/History.h"

class TStateEntries {
 public:
  // The whole container of Image as it is now, the map made anew; the
  // collection's noted changes are forgotten.
  TImageState Write(TFiguresCollection& Image);
  // The change that makes the container of Image as it is now of State, the
  // container the map describes: the header and the entries the collection
  // noted as changed. The map then describes the new container.
  TStateChange Difference(const TImageState& State, TFiguresCollection& Image);
  // Image made the image of State, the state Change (applied Forward, or
  // back) led to from the one the map describes: the figures whose entries
  // the change touches are read anew from State (Revert first). Whatever
  // cannot be read that way is read whole. The map then describes State.
  void Apply(const TStateChange& Change, bool Forward, const TImageState& State, TFiguresCollection& Image);
  // Image made the image of State, the state the map describes, again:
  // entries changed without a step (a hit test's found point) are read
  // back. Before an undo or a redo, which change only what their step did.
  void Revert(const TImageState& State, TFiguresCollection& Image);

  // Entries mapped: the figures of the state described.
  size_t Count() const { return FStarts.empty() ? 0 : FStarts.size() - 1; }

 private:
  // The entries of positions First .. Last - 1 of Image written after one
  // another; Ends gets the offset of each end from the start of Bytes.
  static TImageState WriteEntries(TFiguresCollection& Image, int32_t First, int32_t Last, std::vector<size_t>& Ends);
  // The map's entries First .. Last - 1 replaced by entries ending at Ends
  // (offsets from the start of the first), the later ones moved by Delta.
  void Remap(size_t First, size_t Last, const std::vector<size_t>& Ends, std::ptrdiff_t Delta);
  // The change for a range of entries replaced, and for single entries
  // rewritten in place.
  void RangeRuns(const TImageState& State, TFiguresCollection& Image, int32_t Below, int32_t Above,
                 TStateChange& Change);
  bool EntryRuns(const TImageState& State, std::vector<TEntryChanges::TEntry> Entries, TStateChange& Change);
  // Reads the entries of State over the bytes [From, From + OldLength) of
  // the body described, now From + NewLength long, into Image.
  void ReadChangedEntries(const TImageState& State, TFiguresCollection& Image, size_t From, size_t OldLength,
                          size_t NewLength);
  // Image read whole from State, the map made anew.
  void ReadWhole(const TImageState& State, TFiguresCollection& Image);

  // Offsets from the end of the header: entry i spans FStarts[i] ..
  // FStarts[i + 1].
  std::vector<size_t> FStarts;
};
