#include "ncio/program_text.h"

#include <algorithm>

#include "ncio/text_scan.h"

namespace trevalon {

namespace {

std::uint64_t LineEndWord(std::uint64_t w) {
  return textscan::AnyEqual(w, '\n') | textscan::AnyEqual(w, '\r');
}
bool LineEndByte(char c) {
  return c == '\n' || c == '\r';
}

}  // namespace

bool NcTextLines::Index(std::string_view text) {
  std::vector<std::uint32_t>().swap(starts_);
  size_ = 0;
  longest_ = 0;
  if (text.size() > kMaxText) {
    starts_.shrink_to_fit();
    return false;
  }
  // Made to size at once, as SplitNcLines makes its table: a line per LF, or per CR in a text
  // without LF.
  std::size_t ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  if (ends == 0) ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
  starts_.reserve(ends + 1);
  std::size_t b = 0;
  while (b < text.size()) {
    starts_.push_back(static_cast<std::uint32_t>(b));
    std::size_t i = textscan::FindFirstExact(text, b, LineEndWord, LineEndByte);
    if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    const std::size_t next = i < text.size() ? i + 1 : i;
    longest_ = std::max(longest_, next - b);
    b = next;
  }
  size_ = text.size();
  return true;
}

bool NcTextLines::Update(std::string_view text, std::uint64_t begin, std::uint64_t oldEnd,
                         std::uint64_t newEnd) {
  if (starts_.empty() || text.size() > kMaxText || begin > oldEnd || oldEnd > size_ ||
      newEnd < begin || text.size() != size_ - (oldEnd - begin) + (newEnd - begin))
    return Index(text);
  const std::int64_t delta = static_cast<std::int64_t>(newEnd) - static_cast<std::int64_t>(oldEnd);
  // The line before the one changed is read again too: a CR ending it may meet an LF the change
  // puts (or takes) at the start of the next.
  std::size_t k = begin < size_ ? LineOf(begin) : starts_.size() - 1;
  if (k > 0) --k;
  std::vector<std::uint32_t> fresh;
  std::size_t m = starts_.size(), j = k;  // old lines from m on only move
  std::size_t b = starts_[k];
  while (b < text.size()) {
    if (b >= newEnd) {
      // From here on the text is the old one moved by delta: a line that starts where an old
      // one started reads as that one did, and so do all after it.
      const std::uint64_t old = static_cast<std::uint64_t>(static_cast<std::int64_t>(b) - delta);
      while (j < starts_.size() && starts_[j] < old) ++j;
      if (j < starts_.size() && starts_[j] == old) {
        m = j;
        break;
      }
    }
    fresh.push_back(static_cast<std::uint32_t>(b));
    std::size_t i = textscan::FindFirstExact(text, b, LineEndWord, LineEndByte);
    if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    const std::size_t next = i < text.size() ? i + 1 : i;
    longest_ = std::max(longest_, next - b);
    b = next;
  }
  const std::size_t span = m - k;
  const auto at = starts_.begin() + static_cast<std::ptrdiff_t>(k);
  if (fresh.size() > span)
    starts_.insert(at + static_cast<std::ptrdiff_t>(span), fresh.size() - span, 0);
  else if (fresh.size() < span)
    starts_.erase(at + static_cast<std::ptrdiff_t>(fresh.size()),
                  at + static_cast<std::ptrdiff_t>(span));
  std::copy(fresh.begin(), fresh.end(), starts_.begin() + static_cast<std::ptrdiff_t>(k));
  if (delta != 0)
    for (std::size_t i = k + fresh.size(); i < starts_.size(); ++i)
      starts_[i] = static_cast<std::uint32_t>(static_cast<std::int64_t>(starts_[i]) + delta);
  size_ = text.size();
  return true;
}

std::string_view NcTextLines::Line(std::string_view text, std::size_t i) const {
  const std::uint64_t b = Start(i);
  std::uint64_t e = std::min<std::uint64_t>(End(i), text.size());
  if (b >= e) return {};
  if (text[e - 1] == '\n') --e;
  if (e > b && text[e - 1] == '\r') --e;
  return text.substr(b, e - b);
}

std::size_t NcTextLines::LineOf(std::uint64_t offset) const {
  if (offset >= size_) return starts_.size();
  // The last line that starts at or before the offset.
  const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset,
                                   [](std::uint64_t o, std::uint32_t s) { return o < s; });
  return static_cast<std::size_t>(it - starts_.begin()) - 1;
}

namespace {

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigitChar(char c) {
  return c >= '0' && c <= '9';
}

NcWordKind KindOf(char letter) {
  switch (letter & ~0x20) {  // upper case
    case 'G':
      return NcWordKind::GCode;
    case 'M':
      return NcWordKind::MCode;
    case 'F':
      return NcWordKind::Feed;
    case 'N':
      return NcWordKind::BlockNumber;
    case 'X':
    case 'Y':
    case 'Z':
    case 'I':
    case 'J':
    case 'K':
    case 'R':
    case 'A':
    case 'B':
    case 'C':
    case 'U':
    case 'V':
    case 'W':
      return NcWordKind::Coordinate;
    default:
      return NcWordKind::Word;
  }
}

}  // namespace

void NcLineWords(std::string_view line, std::vector<NcWordSpan>& out) {
  out.clear();
  const std::size_t n = line.size();
  const auto add = [&](std::size_t b, std::size_t e, NcWordKind k) {
    out.push_back({static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b), k});
  };
  std::size_t i = 0;
  while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
  // A Heidenhain block starts with its number; a "*" after it makes the block a comment.
  if (i < n && IsDigitChar(line[i])) {
    const std::size_t b = i;
    while (i < n && IsDigitChar(line[i])) ++i;
    add(b, i, NcWordKind::BlockNumber);
    std::size_t k = i;
    while (k < n && (line[k] == ' ' || line[k] == '\t')) ++k;
    if (k < n && line[k] == '*') {
      add(k, n, NcWordKind::Comment);
      return;
    }
  }
  while (i < n) {
    const char c = line[i];
    if (c == ';') {
      add(i, n, NcWordKind::Comment);
      return;
    }
    if (c == '(') {
      std::size_t e = line.find(')', i);
      e = e == std::string_view::npos ? n : e + 1;
      add(i, e, NcWordKind::Comment);
      i = e;
      continue;
    }
    if (!IsLetter(c) || (i > 0 && IsLetter(line[i - 1]))) {
      ++i;
      continue;
    }
    std::size_t k = i + 1;
    while (k < n && (line[k] == ' ' || line[k] == '\t')) ++k;
    if (k < n && (line[k] == '+' || line[k] == '-')) ++k;
    const std::size_t value = k;
    if (k < n && line[k] == '#') ++k;
    while (k < n && (IsDigitChar(line[k]) || line[k] == '.')) ++k;
    if (k == value || line[k - 1] == '#') {  // no value: a keyword's letter, or a lone '#'
      ++i;
      continue;
    }
    add(i, k, KindOf(c));
    i = k;
  }
}

}  // namespace trevalon
