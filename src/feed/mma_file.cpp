// The .mma file of a master model: 100 zero bytes, the mesh header and the height and slope
// of every cell by rows, all little-endian whatever the host's byte order.
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "feed/master_model.h"

namespace trevalon {

namespace {

constexpr std::size_t kTextBlock = 100;  // the header text, always zero
constexpr std::size_t kFileHeader = kTextBlock + sizeof(MeshHeader);
constexpr std::size_t kFileCellBytes = 6;  // height f32 + slope i16

// ---- Little-endian fields, whatever the host's byte order ------------------------------------
void PutBytes(std::string& out, std::uint64_t v, int n) {
  for (int b = 0; b < n; ++b) out.push_back(static_cast<char>((v >> (8 * b)) & 0xFF));
}
void PutDouble(std::string& out, double d) {
  std::uint64_t v;
  std::memcpy(&v, &d, 8);
  PutBytes(out, v, 8);
}
void PutFloat(std::string& out, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  PutBytes(out, v, 4);
}
std::uint64_t GetBytes(const unsigned char* p, int n) {
  std::uint64_t v = 0;
  for (int b = n - 1; b >= 0; --b) v = (v << 8) | p[b];
  return v;
}
double GetDouble(const unsigned char* p) {
  std::uint64_t v = GetBytes(p, 8);
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}
float GetFloat(const unsigned char* p) {
  auto v = static_cast<std::uint32_t>(GetBytes(p, 4));
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

}  // namespace

std::string MasterModel::FileBytes() const {
  std::string out;
  const std::uint32_t n = CellCount();
  out.reserve(kFileHeader + kFileCellBytes * static_cast<std::size_t>(n));
  out.append(kTextBlock, '\0');
  const MeshHeader& h = header;
  for (double d :
       {h.originX, h.originY, h.lowZ, h.highX, h.highY, h.highZ, h.toolDiameter, h.cellSize})
    PutDouble(out, d);
  for (std::uint32_t v : {n, h.columns, h.rows, h.reserved1, h.exists, h.reserved2})
    PutBytes(out, v, 4);
  for (std::uint32_t i = 0; i < n; ++i) {
    PutFloat(out, cells_[i].z);
    PutBytes(out, static_cast<std::uint16_t>(cells_[i].slope), 2);
  }
  return out;
}

int MasterModel::ReadBytes(std::string_view bytes, std::string* why) {
  auto refuse = [&](const char* reason) {
    if (why) *why = reason;
    return 0;
  };
  if (bytes.size() < kFileHeader) return refuse("the file is shorter than its header");
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + kTextBlock;
  MeshHeader h;
  double* reals[] = {&h.originX, &h.originY, &h.lowZ,         &h.highX,
                     &h.highY,   &h.highZ,   &h.toolDiameter, &h.cellSize};
  for (double* r : reals) {
    *r = GetDouble(p);
    p += 8;
  }
  std::uint32_t* counts[] = {&h.cellCount, &h.columns, &h.rows,
                             &h.reserved1, &h.exists,  &h.reserved2};
  for (std::uint32_t* c : counts) {
    *c = static_cast<std::uint32_t>(GetBytes(p, 4));
    p += 4;
  }
  if (static_cast<std::uint64_t>(h.columns) * h.rows != h.cellCount)
    return refuse("the cell count is not columns x rows");
  if (h.cellCount == 0) return refuse("the mesh holds no cell");
  // Checked before anything is allocated: the cells must really be in the file.
  if ((bytes.size() - kFileHeader) / kFileCellBytes < h.cellCount)
    return refuse("the file is shorter than its header says");
  if (!(h.cellSize > 0.0) || !std::isfinite(h.cellSize) || !std::isfinite(h.originX) ||
      !std::isfinite(h.originY))
    return refuse("the grid's origin or cell size is not a usable number");
  std::unique_ptr<MeshCell[]> cells = AllocateCells(h.cellCount);
  if (!cells) return refuse("no memory for the mesh");
  for (std::uint32_t i = 0; i < h.cellCount; ++i) {
    // Node positions are not kept in the file: they stay empty.
    cells[i].z = GetFloat(p);
    cells[i].slope = static_cast<std::int16_t>(GetBytes(p + 4, 2));
    p += kFileCellBytes;
  }
  h.exists = 1;
  cells_ = std::move(cells);
  header = h;
  return 1;
}

int MasterModel::ReadFile(const std::string& path, FileReadError& error, std::string* why) {
  std::string bytes;
  BoundedInput in;
  error = in.Open(path);
  if (error == FileReadError::None) error = in.Append(kFileHeader, bytes);
  if (error != FileReadError::None) {
    if (why) *why = DescribeReadError(error, path);
    return 0;
  }
  if (bytes.size() == kFileHeader) {
    // The format first: the header says how many cells follow, and only those are read.
    const auto* counts = reinterpret_cast<const unsigned char*>(bytes.data()) + kTextBlock + 64;
    const auto cellCount = static_cast<std::uint32_t>(GetBytes(counts, 4));
    if (cellCount > kMaxCells) {
      if (why)
        *why = "the header announces " + std::to_string(cellCount) +
               " cells, more than any master model holds (" + std::to_string(kMaxCells) + ")";
      return 0;
    }
    error = in.Append(kFileCellBytes * cellCount, bytes);
    if (error != FileReadError::None) {
      if (why) *why = DescribeReadError(error, path);
      return 0;
    }
  }
  return ReadBytes(bytes, why);
}

}  // namespace trevalon
