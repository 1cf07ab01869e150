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
      d.at.resize(count);
      return;
    }
    std::uint32_t n = kNone;
    if (!d.files.empty()) {
      n = NumberOf(d.files.back().base, offset);
      d.last = std::max(d.last, n);
    }
    d.at.resize(count, n);
  } catch (const std::bad_alloc&) {
    Lose();
  }
}

void SourceLines::Fit(std::uint32_t count) {
  if (lost_) return;
  try {
    if (count != Size()) {
      Data& d = Own();
      d.at.resize(count, kNone);
    }
    if (data_ && data_.use_count() == 1) data_->at.shrink_to_fit();
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
  const std::vector<std::uint32_t>& at = data_->at;
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
  d.at.resize(from.size(), kNone);
  for (std::size_t k = 0; k < from.size(); ++k)
    if (from[k] < size) d.at[k] = data_->at[from[k]];
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
  if (a.data_) d.at.assign(a.data_->at.begin(), a.data_->at.begin() + std::min(a.Size(), aCount));
  d.at.resize(aCount, kNone);
  if (!b.data_) return out;
  // b's numbers follow a's: its files' bases and its records move up by a's highest number.
  for (SourceFile f : b.data_->files) {
    const std::uint64_t base = std::uint64_t{f.base} + shift;
    f.base = base > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(base);
    d.files.push_back(std::move(f));
  }
  d.at.reserve(d.at.size() + b.data_->at.size());
  for (const std::uint32_t n : b.data_->at) {
    const std::uint64_t m = n == kNone ? 0 : std::uint64_t{n} + shift;
    d.at.push_back(m > 0xFFFFFFFFu ? kNone : static_cast<std::uint32_t>(m));
  }
  const std::uint64_t lastB = std::uint64_t{b.data_->last} + shift;
  d.last = static_cast<std::uint32_t>(std::min<std::uint64_t>(lastB, 0xFFFFFFFFu));
  return out;
}

}  // namespace trevalon
