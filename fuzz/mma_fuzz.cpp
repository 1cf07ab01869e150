// Arbitrary bytes as a master-model file: the reader must refuse what does not hold the
// cells its header announces without allocating for them, and what it accepts must write back
// as the same bytes (header text block zeroed, exists flag 1) and answer queries anywhere.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "feed/master_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace trevalon;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  MasterModel m;
  if (!m.ReadBytes(bytes)) {
    if (m.Exists()) std::abort();
    return 0;
  }
  std::string out = m.FileBytes();
  const std::size_t cells = m.header.cellCount;
  if (out.size() != 188 + 6 * cells || out.size() > size) std::abort();
  std::string expect(bytes.substr(0, out.size()));
  std::memset(expect.data(), 0, 100);
  const std::uint32_t one = 1;
  std::memcpy(expect.data() + 100 + 80, &one, 4);
  if (out != expect) std::abort();
  // Queries around and inside the grid, with radii from the file itself.
  const MeshHeader& h = m.header;
  const double r[] = {0.0, h.cellSize, 3.5 * h.cellSize, h.toolDiameter, h.highZ};
  const double px[] = {h.originX, h.originX + h.highX, h.originX - 1e6, h.lowZ};
  for (double radius : r)
    for (double x : px) {
      int s = m.MaxSlopeAbove(x, h.originY + h.highY * 0.5, h.lowZ, radius);
      if (s < 0) std::abort();
    }
  return 0;
}
