#include "movie/group_patch.h"

#include <vector>

#include "movie/group_reader.h"
#include "movie/le_word.h"
#include "movie/reference_patch.h"

namespace vantrel {

std::optional<std::uint32_t> groupReferenceOffset(ChunkTag chunkTag, std::uint32_t kind) {
  if (chunkTag == kTagGgae) {
    if (kind == 2) return 32;
    if (kind == 6) return 48;
  } else if (chunkTag == kTagGgfr || chunkTag == kTagGgst) {
    if (kind == 1) return 28;
    if (kind == 4) return 8;
  }
  return std::nullopt;
}

void patchGroupChunk(PatchContext& context, std::uint32_t dataOffset, std::uint32_t kindPosition,
                     ChunkTag chunkTag) {
  MovieStream& file = context.file;
  Group group;
  if (!readGroupCount(file, dataOffset, group) || group.count == 0) return;
  std::vector<std::uint32_t>& elementOffsets = context.elementOffsets;
  if (!readGroupDataSize(file, dataOffset, group) ||
      !readElementOffsets(file, dataOffset, group, elementOffsets)) {
    return;
  }
  // A count can change during the walk (a fix may land on it), so the
  // budget checked before the first chunk is checked again here.
  context.elementVisits += elementOffsets.size();
  if (context.elementVisits > context.visitBudget) {
    context.overBudget = true;
    return;
  }
  for (std::size_t i = 0; i < elementOffsets.size(); ++i) {
    const std::uint64_t element = elementPosition(dataOffset, elementOffsets[i]);
    unsigned char scratch[4];
    const unsigned char* kindWord = file.bytesAt(element + kindPosition, sizeof scratch, scratch);
    if (kindWord == nullptr) continue;
    const std::uint32_t kind = readLe32(kindWord);
    if (const auto referenceAt = groupReferenceOffset(chunkTag, kind)) {
      context.element = static_cast<std::uint32_t>(i);
      patchReference(context, element + *referenceAt);
      if (context.writeRefused) return;
    }
  }
}

}  // namespace vantrel
