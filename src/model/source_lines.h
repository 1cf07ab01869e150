#pragma once
// SourceLines: where each record of a toolpath came from, so that the NC program can be shown
// beside the view with the block that made a move. The records stay as the store keeps them;
// this is a side array of one 32-bit number per record, held beside the store's count.
//
// A record's number is the place of its block in the program text: the byte offset of the
// line the block stands on, counted in one numbering that runs through every file the map
// holds (the second file's bytes follow the first's, and so on), plus one; 0 means no source
// (a record made by an edit). Byte offsets rather than line numbers keep the readers and the
// text pane in agreement whatever the line ends (LF, CR LF, CR) and however a reader cuts long
// lines. Four bytes per record at most, and the whole of a map's programs up to 4 GiB: the
// records of bytes beyond that have no source.
//
// Our rules:
//  - Load starts a map of one file; append adds the appended file to it, so each record knows
//    its own file and the pane shows the file of the move that was picked.
//  - A map is a shared value: copies (undo slots, layers) share one array until one of them
//    changes, then that one takes its own copy.
//  - Records an editing command makes have no source. Records a command keeps where they were
//    keep theirs through compaction (CompactStore tells where each kept record came from); the
//    command frame decides this for every command (command_frame.h).
//  - The lines never make a read or a command fail: when their memory cannot be had they are
//    given up (no record has a source, and nothing more is noted) and the work goes on.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trevalon {

// A program that records were read from, as it was when it was read: a file changed since
// then no longer holds the blocks the map points at.
struct SourceFile {
  std::string path;           // absolute
  std::uint64_t size = 0;     // bytes when read
  std::int64_t modified = 0;  // the file's time of last change when read (filesystem ticks)
  std::uint32_t base = 0;     // the number of its first byte in the map's numbering, minus one
};

// Where one record came from: the file (an index into files()) and the byte offset of the
// start of its block's line.
struct SourcePlace {
  std::size_t file = 0;
  std::uint64_t offset = 0;
};

// The numbers of a map, one per record, in blocks of a fixed size: the table grows without
// ever copying what it holds, so that a long program's read never holds the table twice (a
// vector that doubles holds its old and new arrays at once, and its final trim copies it
// again), and the memory it takes is its size rounded up to one block.
//
// Copies share their blocks until one of them writes a block, which it copies first: a map
// kept by an undo state costs nothing until an edit. Each block adds a number of its own to
// every number it holds but kNone, so that a text edit that moves every later line by a few
// bytes changes one number per block (Shift) instead of every record's.
class SourceNumberTable {
 public:
  static constexpr std::size_t kBlockBits = 16;  // 65,536 numbers, 256 KiB a block
  static constexpr std::size_t kBlock = std::size_t{1} << kBlockBits;

  std::size_t size() const { return size_; }
  std::uint32_t operator[](std::size_t i) const {
    const Block& b = blocks_[i >> kBlockBits];
    const std::uint32_t raw = b.numbers[i & (kBlock - 1)];
    return raw == 0 ? 0 : raw + b.add;
  }
  // Number i becomes v. May throw std::bad_alloc (a shared block is copied first).
  void Set(std::size_t i, std::uint32_t v) {
    Block& b = blocks_[i >> kBlockBits];
    const std::uint32_t raw = StoredForm(b, v);  // may give the block new memory
    b.numbers[i & (kBlock - 1)] = raw;
  }
  // Every number of [from, size) but kNone grows by `shift` (modulo 2^32: the caller keeps
  // the results above 0 and within 32 bits). May throw std::bad_alloc.
  void Shift(std::size_t from, std::uint32_t shift);
  // Numbers [size, n) become `fill`; a smaller n drops the numbers beyond it and gives back
  // the blocks they alone held. May throw std::bad_alloc (the table then holds what it held).
  void Resize(std::size_t n, std::uint32_t fill);
  void PushBack(std::uint32_t v) { Resize(size_ + 1, v); }

 private:
  struct Block {
    std::shared_ptr<std::uint32_t[]> numbers;
    std::uint32_t add = 0;
  };
  // The block held by this table alone, its `add` folded into its numbers.
  static void Own(Block& b);
  // What block b stores for the number v, the block made writable first (and its `add`
  // folded in when v would otherwise be stored as kNone).
  static std::uint32_t StoredForm(Block& b, std::uint32_t v) {
    if (b.numbers.use_count() > 1 || (v != 0 && v == b.add)) Own(b);
    return v == 0 ? 0 : v - b.add;
  }

  std::vector<Block> blocks_;
  std::size_t size_ = 0;
};

class SourceLines {
 public:
  static constexpr std::uint32_t kNone = 0;

  // ---- Reading ---------------------------------------------------------------------------
  // The records a read stores from now on come from `file` (its base is set here).
  void BeginFile(SourceFile file);
  // Records [size, count) came from the block whose line starts at `offset` of the file begun
  // last. A count below the size drops the places beyond it (a reader took a record back).
  void Reach(std::uint32_t count, std::uint64_t offset) {
    if (count == Size()) return;
    ReachSlow(count, offset);
  }
  // Records [size, count) have no source; a count below the size drops the places beyond it.
  // Then the array gives back what it holds beyond its size.
  void Fit(std::uint32_t count);

  // ---- Looking up ------------------------------------------------------------------------
  std::uint32_t Size() const { return data_ ? static_cast<std::uint32_t>(data_->at.size()) : 0; }
  // Where record i came from; nothing for a record without a source (or beyond the map).
  std::optional<SourcePlace> Find(std::uint32_t i) const;
  // The first record from [begin, end) of file f, or nothing.
  std::optional<std::uint32_t> FirstFrom(std::size_t f, std::uint64_t begin,
                                         std::uint64_t end) const;
  const std::vector<SourceFile>& Files() const;
  bool Empty() const { return Size() == 0; }

  // ---- Editing ---------------------------------------------------------------------------
  static constexpr std::uint32_t kNoRecord = 0xFFFFFFFFu;
  // Record k of the result has the place of record from[k] of this map (none for kNoRecord
  // or a record beyond the map). The files stay.
  SourceLines Remapped(const std::vector<std::uint32_t>& from) const;
  // The same files, no record with a source.
  SourceLines WithoutRecords() const;
  // The records of `a` (aCount of them, those beyond a's map without a source) followed by
  // those of `b`, with both maps' files: a layer appended to another.
  static SourceLines Joined(const SourceLines& a, std::uint32_t aCount, const SourceLines& b);

  // A text edit read again (classic_splice.h): records [at, at + removed) give way to records
  // numbered `numbers` (numbers of this map's one file), the numbers of the records after
  // them move by `shift` bytes, and the file now holds `size` bytes. A map of one file only.
  void Splice(std::uint32_t at, std::uint32_t removed, const std::vector<std::uint32_t>& numbers,
              std::int64_t shift, std::uint64_t size);

  // The same records, the one file of the map now `file` (a program saved under another name);
  // its base stays.
  SourceLines WithFile(SourceFile file) const;

  // The lines were given up for want of memory.
  bool Lost() const { return lost_; }

 private:
  struct Data {
    std::vector<SourceFile> files;
    SourceNumberTable at;    // per record: base + offset + 1, or kNone
    std::uint32_t last = 0;  // the highest number given so far
  };
  Data& Own();  // this map's data, copied first when shared; may throw std::bad_alloc
  void ReachSlow(std::uint32_t count, std::uint64_t offset);
  void Lose();
  SourceLines RemappedOrThrow(const std::vector<std::uint32_t>& from) const;
  static SourceLines JoinedOrThrow(const SourceLines& a, std::uint32_t aCount,
                                   const SourceLines& b);

  std::shared_ptr<Data> data_;
  bool lost_ = false;
};

// The work layer's source lines as a document keeps them. They describe the store while the
// document's change count still equals `at`: whatever changes the toolpath without carrying
// them along (a command that rewrites the store in a way the command frame cannot follow)
// leaves them behind, and then no record shows a source: never the wrong line.
struct TrackedSourceLines {
  SourceLines lines;
  std::uint64_t at = 0;

  const SourceLines* Valid(std::uint64_t edits) const { return at == edits ? &lines : nullptr; }
  // The lines when valid, else none (and their memory is given back, the files kept so that
  // the program can still be shown).
  SourceLines Current(std::uint64_t edits) {
    if (at != edits) Set(lines.WithoutRecords(), edits);
    return lines;
  }
  void Set(SourceLines l, std::uint64_t edits) {
    lines = std::move(l);
    at = edits;
  }
};

}  // namespace trevalon
