#include "app/edited_text.h"

namespace trevalon {

void EditedText::Apply(std::uint64_t begin, std::uint64_t end, const std::string& with) {
  // A change after an undo drops the versions that could have been redone, as the ring does.
  const std::uint64_t kept = version - base_;
  if (kept < journal_.size()) journal_.resize(kept);
  Change c;
  c.begin = begin;
  c.removed = text.substr(begin, end - begin);
  c.inserted = with;
  text.replace(begin, end - begin, with);
  journal_.push_back(std::move(c));
  if (journal_.size() > kJournal) {
    journal_.erase(journal_.begin());
    ++base_;
  }
  ++version;
}

bool EditedText::GoTo(std::uint64_t v) {
  if (v < base_ || v > base_ + journal_.size()) return v == version;
  while (version > v) {
    const Change& c = journal_[version - base_ - 1];
    text.replace(c.begin, c.inserted.size(), c.removed);
    --version;
  }
  while (version < v) {
    const Change& c = journal_[version - base_];
    text.replace(c.begin, c.removed.size(), c.inserted);
    ++version;
  }
  return true;
}

std::shared_ptr<const UndoPayload> EditedText::Payload(std::uint64_t edits) const {
  auto p = std::make_shared<TextVersion>();
  p->version = version;
  p->describes = Describes(edits);
  p->index = index;
  return p;
}

}  // namespace trevalon
