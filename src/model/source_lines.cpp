#include "model/source_lines.h"

#include <algorithm>
#include <new>

namespace trevalon {

namespace {

const std::vector<SourceFile> kNoFiles;

// The number of byte `offset` of a file whose base is `base`; kNone when it does not fit.
std::uint32_t NumberOf(std::uint32_t base, std::uint64_t offset) {
  const std::uint64_t n = std::uint64_t{base} + offset + 1;
  return n > 0xFFFFFFFFu ? SourceLines::kNone : static_cast<std::uint32_t>(n);
}

}  // namespace

void SourceNumberTable::Own(Block& b) {
  if (b.numbers.use_count() > 1) {
    std::shared_ptr<std::uint32_t[]> mine(new std::uint32_t[kBlock]);
    std::copy_n(b.numbers.get(), kBlock, mine.get());
    b.numbers = std::move(mine);
  }
  if (b.add != 0) {
    for (std::size_t k = 0; k < kBlock; ++k)
      if (b.numbers[k] != 0) b.numbers[k] += b.add;
    b.add = 0;
  }
}

void SourceNumberTable::Shift(std::size_t from, std::uint32_t shift) {
  if (shift == 0 || from >= size_) return;
  std::size_t b = from >> kBlockBits;
  if ((from & (kBlock - 1)) != 0) {
    Own(blocks_[b]);
    const std::size_t end = std::min(size_, (b + 1) << kBlockBits);
    std::uint32_t* numbers = blocks_[b].numbers.get();
    for (std::size_t i = from; i < end; ++i)
      if (numbers[i & (kBlock - 1)] != 0) numbers[i & (kBlock - 1)] += shift;
    ++b;
  }
  for (; b < blocks_.size(); ++b) blocks_[b].add += shift;
}

void SourceNumberTable::Resize(std::size_t n, std::uint32_t fill) {
  // A read adds a record or two at a time, nearly always inside the last block.
  if (n > size_ && n <= (blocks_.size() << kBlockBits) &&
      (n - 1) >> kBlockBits == size_ >> kBlockBits) {
    Block& b = blocks_[size_ >> kBlockBits];
    const std::uint32_t raw = StoredForm(b, fill);
    for (std::size_t i = size_; i < n; ++i) b.numbers[i & (kBlock - 1)] = raw;
    size_ = n;
    return;
  }
  const std::size_t need = (n + kBlock - 1) >> kBlockBits;
  if (n <= size_) {
    blocks_.resize(need);
    size_ = n;
    return;
  }
  // The blocks first: when one cannot be had, the numbers held stay as they were.
  if (blocks_.size() < need) {
    blocks_.reserve(need);
    while (blocks_.size() < need)
      blocks_.push_back(Block{std::shared_ptr<std::uint32_t[]>(new std::uint32_t[kBlock]()), 0});
  }
  for (std::size_t i = size_; i < n;) {
    const std::size_t run = std::min(n - i, kBlock - (i & (kBlock - 1)));
    Block& b = blocks_[i >> kBlockBits];
    Own(b);
    std::fill_n(b.numbers.get() + (i & (kBlock - 1)), run, fill);
    i += run;
  }
  size_ = n;
}

SourceLines::Data& SourceLines::Own() {
  if (!data_)
    data_ = std::make_shared<Data>();
  else if (data_.use_count() > 1)
    data_ = std::make_shared<Data>(*data_);
  return *data_;
}

void SourceLines::Lose() {
  data_.reset();
  lost_ = true;
}

void SourceLines::BeginFile(SourceFile file) {
  if (lost_) return;
  try {
    Data& d = Own();
    // Every number of this file lies above every number given before.
    file.base = d.last;
    d.files.push_back(std::move(file));
  } catch (const std::bad_alloc&) {
    Lose();
  }
}

void SourceLines::ReachSlow(std::uint32_t count, std::uint64_t offset) {
  if (lost_) return;
  try {
    Data& d = Own();
    if (count < d.at.size()) {
      d.at.Resize(count, kNone);
      return;
    }
    std::uint32_t n = kNone;
    if (!d.files.empty()) {
      n = NumberOf(d.files.back().base, offset);
      d.last = std::max(d.last, n);
    }
    d.at.Resize(count, n);
  } catch (const std::bad_alloc&) {
    Lose();
  }
}

void SourceLines::Fit(std::uint32_t count) {
  if (lost_) return;
  try {
    // The table holds no more than its size rounded up to a block: nothing to give back.
    if (count != Size()) Own().at.Resize(count, kNone);
  } catch (const std::bad_alloc&) {
    Lose();
  }
}

std::optional<SourcePlace> SourceLines::Find(std::uint32_t i) const {
  if (i >= Size()) return std::nullopt;
  const std::uint32_t n = data_->at[i];
  if (n == kNone) return std::nullopt;
  const std::vector<SourceFile>& files = data_->files;
  // The last file whose numbers start below n.
  auto f = std::partition_point(files.begin(), files.end(),
                                [n](const SourceFile& s) { return s.base < n; });
  if (f == files.begin()) return std::nullopt;
  --f;
  return SourcePlace{static_cast<std::size_t>(f - files.begin()), std::uint64_t{n} - f->base - 1};
}

std::optional<std::uint32_t> SourceLines::FirstFrom(std::size_t f, std::uint64_t begin,
                                                    std::uint64_t end) const {
  if (!data_ || f >= data_->files.size() || begin >= end) return std::nullopt;
  const std::uint32_t base = data_->files[f].base;
  const std::uint32_t lo = NumberOf(base, begin);
  if (lo == kNone) return std::nullopt;
  const std::uint64_t hi = std::uint64_t{base} + end + 1;  // one past, may exceed 32 bits
  const SourceNumberTable& at = data_->at;
  for (std::uint32_t k = 0; k < at.size(); ++k)
    if (at[k] >= lo && at[k] < hi) return k;
  return std::nullopt;
}

const std::vector<SourceFile>& SourceLines::Files() const {
  return data_ ? data_->files : kNoFiles;
}

SourceLines SourceLines::Remapped(const std::vector<std::uint32_t>& from) const {
  try {
    return RemappedOrThrow(from);
  } catch (const std::bad_alloc&) {
    SourceLines lost;
    lost.Lose();
    return lost;
  }
}

SourceLines SourceLines::RemappedOrThrow(const std::vector<std::uint32_t>& from) const {
  const std::uint32_t size = Size();
  // Every record where it was and the rest new: the same map, nothing copied (records beyond
  // a map have no source).
  bool same = from.size() >= size;
  for (std::size_t k = 0; same && k < from.size(); ++k)
    same = k < size ? from[k] == k : from[k] >= size;
  if (same) return *this;
  SourceLines out = WithoutRecords();
  bool any = false;
  for (std::size_t k = 0; !any && k < from.size(); ++k) any = from[k] < size && data_->at[from[k]];
  if (!any) return out;
  Data& d = out.Own();
  d.at.Resize(from.size(), kNone);
  for (std::size_t k = 0; k < from.size(); ++k)
    if (from[k] < size) d.at.Set(k, data_->at[from[k]]);
  return out;
}

SourceLines SourceLines::WithoutRecords() const {
  SourceLines out;
  if (!data_ || data_->files.empty()) return out;
  try {
    Data& d = out.Own();
    d.files = data_->files;
    d.last = data_->last;
  } catch (const std::bad_alloc&) {
    out.Lose();
  }
  return out;
}

namespace {
// Whether moving the numbers of records [from, size) by `shift` keeps every one of them a
// number (above 0, within 32 bits) without looking at each: the numbers of a map of one file
// read in order rise with the records, so the first one after the change is the lowest and
// `last` bounds the highest.
bool ShiftKeepsRange(const SourceNumberTable& t, std::size_t from, std::uint32_t last,
                     std::int64_t shift) {
  if (shift > 0) return std::int64_t{last} + shift <= 0xFFFFFFFF;
  for (std::size_t k = from; k < t.size(); ++k)
    if (t[k] != SourceLines::kNone) return std::int64_t{t[k]} + shift > 0;
  return true;
}
}  // namespace

void SourceLines::Splice(std::uint32_t at, std::uint32_t removed,
                         const std::vector<std::uint32_t>& numbers, std::int64_t shift,
                         std::uint64_t size) {
  if (lost_ || !data_) return;
  const auto moved = [shift](std::uint32_t n) {
    if (n == kNone) return kNone;
    const std::int64_t m = static_cast<std::int64_t>(n) + shift;
    return m > 0 && m <= 0xFFFFFFFF ? static_cast<std::uint32_t>(m) : kNone;
  };
  try {
    // In place: a map shared with undo states shares its blocks until one is written; the
    // records after the change move only when their count changes, and their numbers only
    // when their bytes do, a block at a time when nothing else moves.
    Data& d = Own();
    SourceNumberTable& t = d.at;
    const std::size_t old = t.size();
    if (at > old) t.Resize(at, kNone);
    const std::size_t from = std::min<std::size_t>(t.size(), std::size_t{at} + removed);
    const std::size_t tail = t.size() - from;
    const std::size_t to = std::size_t{at} + numbers.size();
    if (to == from && shift != 0 && ShiftKeepsRange(t, from, d.last, shift)) {
      t.Shift(from, static_cast<std::uint32_t>(shift));
    } else if (to > from) {
      t.Resize(to + tail, kNone);
      for (std::size_t k = tail; k-- > 0;) t.Set(to + k, moved(t[from + k]));
    } else if (to < from || shift != 0) {
      for (std::size_t k = 0; k < tail; ++k) t.Set(to + k, moved(t[from + k]));
      t.Resize(to + tail, kNone);
    }
    std::uint32_t last = shift > 0 ? moved(d.last) : d.last;
    if (last == kNone) last = 0xFFFFFFFFu;
    for (std::size_t k = 0; k < numbers.size(); ++k) {
      t.Set(at + k, numbers[k]);
      last = std::max(last, numbers[k]);
    }
    // Our rule: the highest number may stay above what the map now holds; a file appended
    // later only needs its numbers above every one given.
    d.last = last;
    if (!d.files.empty()) d.files.back().size = size;
  } catch (const std::bad_alloc&) {
    Lose();
  }
}

SourceLines SourceLines::WithFile(SourceFile file) const {
  SourceLines out = *this;
  if (out.lost_ || !out.data_ || out.data_->files.size() != 1) return out;
  try {
    Data& d = out.Own();
    file.base = d.files[0].base;
    d.files[0] = std::move(file);
  } catch (const std::bad_alloc&) {
    out.Lose();
  }
  return out;
}

SourceLines SourceLines::Joined(const SourceLines& a, std::uint32_t aCount, const SourceLines& b) {
  try {
    return JoinedOrThrow(a, aCount, b);
  } catch (const std::bad_alloc&) {
    SourceLines lost;
    lost.Lose();
    return lost;
  }
}

SourceLines SourceLines::JoinedOrThrow(const SourceLines& a, std::uint32_t aCount,
                                       const SourceLines& b) {
  SourceLines out;
  if (a.Files().empty() && b.Files().empty()) return out;
  Data& d = out.Own();
  d.files = a.Files();
  d.last = a.data_ ? a.data_->last : 0;
  const std::uint32_t shift = d.last;
  d.at.Resize(aCount, kNone);
  const std::uint32_t fromA = std::min(a.Size(), aCount);
  for (std::uint32_t k = 0; k < fromA; ++k) d.at.Set(k, a.data_->at[k]);
  if (!b.data_) return out;
  // b's numbers follow a's: its files' bases and its records move up by a's highest number.
  for (SourceFile f : b.data_->files) {
    const std::uint64_t base = std::uint64_t{f.base} + shift;
    f.base = base > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(base);
    d.files.push_back(std::move(f));
  }
  const SourceNumberTable& bAt = b.data_->at;
  for (std::size_t k = 0; k < bAt.size(); ++k) {
    const std::uint32_t n = bAt[k];
    const std::uint64_t m = n == kNone ? 0 : std::uint64_t{n} + shift;
    d.at.PushBack(m > 0xFFFFFFFFu ? kNone : static_cast<std::uint32_t>(m));
  }
  const std::uint64_t lastB = std::uint64_t{b.data_->last} + shift;
  d.last = static_cast<std::uint32_t>(std::min<std::uint64_t>(lastB, 0xFFFFFFFFu));
  return out;
}

}  // namespace trevalon
