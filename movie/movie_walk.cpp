#include "movie/movie_walk.h"

#include <algorithm>
#include <vector>

#include "movie/container_layout.h"
#include "movie/group_patch.h"
#include "movie/group_reader.h"
#include "movie/le_word.h"
#include "movie/reference_patch.h"
#include "movie/visit_budget.h"

namespace vantrel {
namespace {

bool hasMagic(MovieStream& file) {
  unsigned char magic[4];
  return file.seek(0) && file.readBytes(magic, sizeof magic) &&
         std::equal(magic, magic + 4, ContainerHeader::kMagic);
}

bool readIndexOffset(MovieStream& file, std::uint32_t& indexOffset) {
  std::uint32_t unused = 0;
  return file.seek(ContainerHeader::kIndexOffsetAt) && file.readWord(indexOffset) &&
         file.readWord(unused);
}

bool readChunkRecord(MovieStream& file, std::uint64_t position, ChunkRecord& record) {
  unsigned char scratch[ChunkRecord::kSize];
  const unsigned char* bytes = file.bytesAt(position, ChunkRecord::kSize, scratch);
  if (bytes == nullptr) return false;
  record.tag = readLe32(bytes);
  record.dataOffset = readLe32(bytes + 8);
  return true;
}

void visitChunk(PatchContext& context, std::uint64_t recordPosition) {
  ChunkRecord record;
  if (!readChunkRecord(context.file, recordPosition, record)) return;
  context.chunkTag = record.tag;
  context.element.reset();
  switch (record.tag) {
    case kTagGgfr:
    case kTagGgst:
      patchGroupChunk(context, record.dataOffset, kGgfrKindAt, record.tag);
      break;
    case kTagGgae:
      patchGroupChunk(context, record.dataOffset, kGgaeKindAt, record.tag);
      break;
    case kTagActr:
      patchSingleReferenceChunk(context, record.dataOffset, kActrReferenceAt);
      break;
    case kTagTdt:
      patchSingleReferenceChunk(context, record.dataOffset, kTdtReferenceAt);
      break;
    default:
      break;
  }
}

WalkOutcome notValid(MovieStream& file, OverBudget overBudget = OverBudget::No) {
  file.close();
  WalkOutcome outcome{WalkResult::NotValid, 0};
  outcome.overBudget = overBudget;
  return outcome;
}

// The walk crossed its budget of element visits: the fixes written so far
// are put on the disk, and the movie is not valid.
WalkOutcome stoppedOverBudget(PatchContext& context) {
  const bool allWritten = context.file.close() && context.failedWrites == 0;
  WalkOutcome outcome{allWritten ? WalkResult::NotValid : WalkResult::WriteFailed,
                      context.fixCount};
  outcome.overBudget = OverBudget::Stopped;
  return outcome;
}

}  // namespace

WalkOutcome walkMovie(MovieStream& file, const FixTable& rules, ProgressSink& sink,
                      WalkOptions options) {
  std::uint32_t indexOffset = 0;
  Group index;
  std::vector<std::uint32_t> chunkOffsets;
  if (!hasMagic(file) || !readIndexOffset(file, indexOffset) ||
      !readGroupCount(file, indexOffset, index) || !readGroupDataSize(file, indexOffset, index) ||
      !readElementOffsets(file, indexOffset, index, chunkOffsets)) {
    return notValid(file);
  }
  const std::uint64_t budget = elementVisitBudget(file.size());
  if (plannedElementVisits(file, indexOffset, chunkOffsets, budget) > budget) {
    return notValid(file, OverBudget::Refused);
  }

  PatchContext context{file,
                       rules,
                       sink,
                       options.dryRun,
                       options.reportReferences,
                       std::move(options.beforeFixWritten)};
  context.visitBudget = budget;
  sink.begin(index.count);
  for (const std::uint32_t chunkOffset : chunkOffsets) {
    visitChunk(context, elementPosition(indexOffset, chunkOffset));
    ++context.chunk;
    if (context.writeRefused) {
      // What was written before the refusal is still put on the disk.
      file.close();
      if (context.fixCount == 0) return WalkOutcome{WalkResult::WriteRefused, 0};
      return WalkOutcome{WalkResult::WriteFailed, context.fixCount};
    }
    if (context.overBudget) return stoppedOverBudget(context);
    sink.step();
  }
  chunkOffsets = {};

  // After a write, close() puts the movie on stable storage first: the
  // result is reported only once the fixes are on the disk.
  const bool saved = file.close();
  const bool allWritten = saved && context.failedWrites == 0;
  return WalkOutcome{allWritten ? WalkResult::Done : WalkResult::WriteFailed, context.fixCount};
}

WalkOutcome patchMovie(const std::string& moviePath, const FixTable& rules, ProgressSink& sink,
                       WalkOptions options) {
  OpenFailure failure;
  auto device = openFileDevice(moviePath, options.dryRun ? OpenMode::ReadOnly : OpenMode::ReadWrite,
                               &failure);
  if (!device) return WalkOutcome{WalkResult::CannotOpen, 0, failure};
  MovieStream file(std::move(device));
  return walkMovie(file, rules, sink, options);
}

}  // namespace vantrel
