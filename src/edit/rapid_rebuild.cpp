#include "edit/rapid_rebuild.h"

#include <cstdint>
#include <new>

#include "edit/compaction.h"
#include "edit/regenerate.h"
#include "model/point_store.h"
#include "model/source_lines.h"

namespace trevalon {

namespace {

// Notes, when asked, which old record each appended record is (`from`, as CompactStore takes
// it: the old records first, then one entry per appended record): `origin` when the register
// is that record where it stood, of its kind; else none. Without the memory to note it the
// notes stop (`from` becomes null and empty) and the rebuild goes on.
void NoteFrom(const CPointStore& s, std::vector<std::uint32_t>*& from, std::uint32_t origin) {
  if (!from) return;
  const PointRecord* o = origin < s.count ? s.RawRecord(origin) : nullptr;
  const auto kind = [](int t) { return IsPlaneCode(t) ? 2 : IsRapidType(t) ? 1 : 0; };
  const bool same = o && o->x == static_cast<float>(s.reg.x) &&
                    o->y == static_cast<float>(s.reg.y) && o->z == static_cast<float>(s.reg.z) &&
                    kind(o->type) == kind(s.reg.type);
  try {
    from->push_back(same ? origin : SourceLines::kNoRecord);
  } catch (const std::bad_alloc&) {
    from->clear();
    from = nullptr;
  }
}

// Appends the register behind the store and remembers where the last appended rapid stands,
// so that a rapid onto the same spot is left out. After a failed append nothing more is
// appended; the caller drops what was. `origin`: the old record the point was made from.
class RebuildWriter {
 public:
  RebuildWriter(CPointStore& s, std::vector<std::uint32_t>* from) : s_(s), from_(from) {}
  void Put(std::uint32_t origin) {
    if (!ok_) return;
    ok_ = AppendRegister(s_);
    if (ok_) NoteFrom(s_, from_, origin);
    haveRapid_ = false;
  }
  void PutRapid(std::uint32_t origin) {
    if (!ok_) return;
    const float x = static_cast<float>(s_.reg.x), y = static_cast<float>(s_.reg.y),
                z = static_cast<float>(s_.reg.z);
    if (haveRapid_ && x == x_ && y == y_ && z == z_) return;
    ok_ = AppendRegister(s_);
    if (ok_) NoteFrom(s_, from_, origin);
    haveRapid_ = true;
    x_ = x, y_ = y, z_ = z;
  }
  bool ok() const { return ok_; }
  std::vector<std::uint32_t>* from() const { return from_; }

 private:
  CPointStore& s_;
  std::vector<std::uint32_t>* from_;
  bool ok_ = true;
  bool haveRapid_ = false;
  float x_ = 0, y_ = 0, z_ = 0;
};

// The result behind [0, n) replaces the old points; or, when it is incomplete, goes.
bool Conclude(CPointStore& s, std::uint32_t n, bool ok, std::vector<std::uint32_t>* from) {
  if (!ok) {
    s.count = n;
    return false;
  }
  MarkRemoved(s, 0, n);
  CompactStore(s, from);
  Regenerate(s);
  return true;
}

void StartFrom(std::vector<std::uint32_t>* from, std::uint32_t n) {
  if (from) from->assign(n, SourceLines::kNoRecord);  // the old records: they all go
}

}  // namespace

bool RapidRebuild(CPointStore& s, double h, std::vector<std::uint32_t>* from) {
  const std::uint32_t n = s.count;
  StartFrom(from, n);
  RebuildWriter out(s, from);
  std::uint32_t firstMotion = n;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (s.FetchPoint(i) && IsMotionType(s.reg.type)) {
      firstMotion = i;
      break;
    }
  }
  std::uint32_t i = firstMotion;
  std::uint32_t prevMotion = n;  // none yet
  PointRegister peek;
  while (i < n && out.ok()) {
    if (!s.FetchPoint(i)) {
      ++i;
      continue;
    }
    if (!IsRapidType(s.reg.type)) {
      if (IsMotionType(s.reg.type)) prevMotion = i;
      out.Put(i);
      ++i;
      continue;
    }
    // A run of rapids starts at i: the retract.
    const std::uint32_t j = prevMotion < n ? prevMotion : i;
    double d[4], u[3];
    s.Segment(i, j, d, u);
    if (u[2] == 1.0) {
      s.FetchPoint(i);
      s.reg.z = h;
      out.PutRapid(i);
    } else {
      s.FetchPoint(j);
      s.reg.z = h;
      s.reg.type = MOVE_RAPID;
      out.PutRapid(j);
    }
    // The rest of the run, up to the first motion point that is not a rapid.
    std::uint32_t r = i, k = i + 1;
    for (; k < n; ++k) {
      if (!s.Peek(k, peek) || !IsMotionType(peek.type)) continue;
      if (!IsRapidType(peek.type)) break;
      r = k;
    }
    if (k >= n) break;  // rapids after the last cut go
    // The traverse above the run's last rapid, the plunge onto it, and the cut after it.
    s.FetchPoint(r);
    s.reg.z = h;
    s.reg.type = MOVE_RAPID_CONT;
    out.PutRapid(r);
    s.FetchPoint(r);
    s.reg.type = MOVE_RAPID_CONT;
    out.PutRapid(r);
    s.FetchPoint(k);
    out.Put(k);
    prevMotion = k;
    i = k + 1;
  }
  return Conclude(s, n, out.ok(), out.from());
}

bool PlungeCleanup(CPointStore& s, double h, std::vector<std::uint32_t>* from) {
  const std::uint32_t n = s.count;
  StartFrom(from, n);
  const float level = static_cast<float>(h);  // as a retract at h is stored
  bool ok = true;
  // The last two motion points appended (indices behind n), for the approach.
  std::uint32_t last = 0, beforeLast = 0;
  bool haveLast = false, haveBeforeLast = false;
  PointRegister r, q;
  for (std::uint32_t i = 0; i < n && ok; ++i) {
    if (!s.FetchPoint(i)) continue;
    const PointRegister point = s.reg;
    const bool motion = IsMotionType(point.type);
    if (motion && !IsRapidType(point.type) && haveLast && s.Peek(last, r) && IsRapidType(r.type) &&
        static_cast<float>(r.z) < level) {
      const bool above = haveBeforeLast && s.Peek(beforeLast, q) && IsRapidType(q.type) &&
                         static_cast<float>(q.x) == static_cast<float>(r.x) &&
                         static_cast<float>(q.y) == static_cast<float>(r.y);
      if (above) {
        if (static_cast<float>(q.z) < level) {
          s.FetchPoint(beforeLast);
          s.reg.z = h;
          ok = s.StorePoint(beforeLast) != 0;
          if (from) (*from)[beforeLast] = SourceLines::kNoRecord;  // moved: a point of ours
        }
      } else {
        // The point above r takes r's place, and r comes again behind it.
        s.FetchPoint(last);
        s.reg.z = h;
        ok = s.StorePoint(last) != 0;
        s.FetchPoint(last);
        s.reg.z = r.z;
        s.reg.type = MOVE_RAPID_CONT;
        const std::uint32_t rFrom = from ? (*from)[last] : SourceLines::kNoRecord;
        if (from) (*from)[last] = SourceLines::kNoRecord;  // moved: a point of ours
        beforeLast = last;
        last = s.count;
        ok = ok && AppendRegister(s);
        if (ok) NoteFrom(s, from, rFrom);
      }
    }
    s.reg = point;
    if (!ok || !AppendRegister(s)) {
      ok = false;
      break;
    }
    NoteFrom(s, from, i);
    if (motion) {
      beforeLast = last, haveBeforeLast = haveLast;
      last = s.count - 1, haveLast = true;
    }
  }
  return Conclude(s, n, ok, from);
}

}  // namespace trevalon
