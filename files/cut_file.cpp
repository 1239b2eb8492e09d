#include "files/cut_file.h"

#include <cstdio>

#include "files/layer_record.h"
#include "io/failure.h"
#include "io/field_io.h"
#include "io/file_stream.h"
#include "io/safe_save.h"
#include "model/cut.h"

namespace {

bool InInt16(int32_t v) { return v >= -32768 && v <= 32767; }
bool InU16(int32_t v) { return v >= 0 && v <= 65535; }

std::string At(const char* what, int32_t index) {
  return std::string(what) + "[" + std::to_string(index) + "]";
}

std::optional<std::string> CheckFrameLimits(Cut& cut, Frame& frame, int32_t index) {
  const std::string where = At("frame", index);
  if (!InInt16(frame.X()) || !InInt16(frame.Y())) return where + ": position beyond -32768..32767";
  if (!InInt16(frame.Time())) return where + ": time beyond -32768..32767";
  if (!InU16(frame.Loop())) return where + ": loop beyond 0..65535";
  if (frame.ToneKey() < -128 || frame.ToneKey() > 127) return where + ": brightness beyond 0..127";
  if (frame.EntryCount() > 255) return where + ": more than 255 entries";
  for (int32_t e = 0; e < frame.EntryCount(); ++e) {
    LayerEntry* entry = frame.EntryAt(e);
    const std::string place = where + "." + At("entry", e);
    if (!InInt16(entry->x) || !InInt16(entry->y)) return place + ": position beyond -32768..32767";
    if (!InInt16(entry->cell)) return place + ": cell beyond -32768..32767";
    if (entry->layer && cut.IndexOfLayer(entry->layer) < 0) return place + ": layer not in the cut";
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckCutLimits(Cut& cut) {
  if (!InU16(cut.CanvasWidth()) || !InU16(cut.CanvasHeight())) return "canvas size beyond 65535";
  if (!InU16(cut.FrameWidth()) || !InU16(cut.FrameHeight())) return "frame size beyond 65535";
  if (cut.Fps() < 0 || cut.Fps() > 255) return "frame rate beyond 0..255";
  if (cut.LayerCount() > 255) return "more than 255 layers";
  if (cut.FrameCount() > 65535) return "more than 65535 frames";
  for (int32_t i = 0; i < cut.LayerCount(); ++i) {
    Layer* layer = cut.LayerAt(i);
    if (!InU16(layer->Width()) || !InU16(layer->Height()))
      return At("layer", i) + ": size beyond 65535";
    if (layer->CellCount() > 65535) return At("layer", i) + ": more than 65535 cells";
  }
  for (int32_t i = 0; i < cut.FrameCount(); ++i) {
    if (auto why = CheckFrameLimits(cut, *cut.FrameAt(i), i)) return why;
  }
  return std::nullopt;
}

void WriteCutHead(Cut& cut, FieldWriter& w) {
  w.String(kCutTag);
  w.U16(uint32_t(cut.CanvasWidth()));
  w.U16(uint32_t(cut.CanvasHeight()));
  w.U16(uint32_t(cut.FrameWidth()));
  w.U16(uint32_t(cut.FrameHeight()));
  w.U8(uint32_t(cut.Fps()));
  w.String(cut.Credit());
  const AntiAlias aa = cut.GetAntiAlias();
  w.U8(aa == AntiAlias::kHalf ? 1 : aa == AntiAlias::kQuarter ? 2 : 0);
  w.U8(uint32_t(cut.LayerCount()));
  w.U16(uint32_t(cut.FrameCount()));
}

void WriteFrameRecord(Cut& cut, Frame& frame, FieldWriter& w) {
  w.U16(uint32_t(frame.X()));
  w.U16(uint32_t(frame.Y()));
  w.U16(uint32_t(frame.Time()));
  w.U16(uint32_t(frame.Loop()));
  w.U8(uint32_t(frame.ToneKey()));
  w.String(frame.Comment());
  w.U8(uint32_t(frame.EntryCount()));
  for (int32_t e = 0; e < frame.EntryCount(); ++e) {
    LayerEntry entry = *frame.EntryAt(e);
    w.U8(uint32_t(entry.layer ? cut.IndexOfLayer(entry.layer) : -1));
    w.U16(uint32_t(entry.x));
    w.U16(uint32_t(entry.y));
    w.U16(uint32_t(entry.cell));
  }
}

bool WriteCut(Cut& cut, ByteStream& stream, std::string* error) {
  if (auto why = CheckCutLimits(cut)) return Fail(error, *why);
  FieldWriter w;
  WriteCutHead(cut, w);
  bool ok = w.FlushTo(stream);
  for (int32_t i = 0; i < cut.LayerCount(); ++i) ok = ok && WriteLayerRecord(*cut.LayerAt(i), stream);
  for (int32_t i = 0; i < cut.FrameCount() && ok; ++i) {
    WriteFrameRecord(cut, *cut.FrameAt(i), w);
    if (w.Bytes().size() >= (1u << 16)) ok = w.FlushTo(stream);
  }
  ok = ok && w.FlushTo(stream);
  if (!ok) return Fail(error, "write failed");
  cut.SetStateFlags(cut.StateFlags() & ~kStateUnsaved);
  return true;
}

namespace {

bool ReadFrameRecord(Cut& cut, FieldReader& r) {
  Frame* frame = cut.AddFrame();
  frame->ClearEntries();
  const int32_t x = r.I16();
  const int32_t y = r.I16();
  frame->SetPosition(x, y);
  frame->SetTime(r.I16());
  frame->SetLoop(r.U16());
  const int32_t t = int8_t(r.U8());
  const int32_t b = t >= 0 ? t : -1 - t;
  frame->SetToneKey(t < 0 ? -1 - b : b);
  frame->SetComment(r.String());
  const int32_t count = r.U8();
  for (int32_t e = 0; e < count; ++e) {
    const int32_t index = r.U8();
    Layer* layer = index < cut.LayerCount() ? cut.LayerAt(index) : nullptr;
    const int32_t ex = r.I16();
    const int32_t ey = r.I16();
    const int32_t cell = r.I16();
    frame->InsertEntryAfter(layer, cell, ex, ey);
  }
  return !r.Truncated();
}

}  // namespace

bool ReadCut(Cut& cut, ByteStream& stream, const RasterSurface* prototype, std::string* error) {
  FieldReader r(stream);
  if (r.String() != kCutTag) return Fail(error, "not a cut file");

  Cut fresh(0, 0, 0, "", AntiAlias::kFull);
  fresh.SetDisplayFlags(cut.DisplayFlags() & kLayerLimitMask);
  const int32_t canvasW = r.U16(), canvasH = r.U16();
  const int32_t frameW = r.U16(), frameH = r.U16();
  fresh.SetCanvasSize(canvasW, canvasH);
  fresh.SetFrameSize(frameW, frameH);
  fresh.SetFps(r.U8());
  fresh.SetCredit(r.String());
  const int aa = r.U8();
  fresh.SetAntiAlias(aa == 1 ? AntiAlias::kHalf : aa == 2 ? AntiAlias::kQuarter : AntiAlias::kFull);
  const int32_t layerCount = r.U8();
  const int32_t frameCount = r.U16();
  if (r.Truncated()) return Fail(error, "truncated header");

  for (int32_t i = 0; i < layerCount; ++i) {
    Layer* layer = fresh.AddLayer(std::nullopt, 0, 0, prototype);
    std::string why;
    if (!ReadLayerRecord(*layer, r, &why)) return Fail(error, At("layer", i) + ": " + why);
    if (layer->CellCount() > 0) fresh.GrowUndoBuffer(layer->CellByteSize());
  }
  for (int32_t i = 0; i < frameCount; ++i) {
    // Every frame record takes at least 11 bytes.
    if (r.Remaining() < 11 || !ReadFrameRecord(fresh, r))
      return Fail(error, At("frame", i) + ": truncated");
  }
  fresh.SetStateFlags((fresh.StateFlags() & ~(kStateUnsaved | kStateTimingChanged)) |
                      kStateContentChanged);
  cut.Swap(fresh);
  return true;
}

bool SaveCut(Cut& cut, const std::string& path, std::string* error) {
  const uint32_t before = cut.StateFlags();
  std::string why;
  const bool ok = SaveFileSafely(path, [&](ByteStream& s) { return WriteCut(cut, s, &why); }, &why);
  if (!ok) {
    cut.SetStateFlags(before);
    return Fail(error, why);
  }
  return true;
}

bool SaveCutToOwnPath(Cut& cut, std::string* error) {
  if (cut.Path().empty()) return Fail(error, "the cut has no file name");
  return SaveCut(cut, cut.Path(), error);
}

bool LoadCut(Cut& cut, const std::string& path, const RasterSurface* prototype,
             std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Fail(error, "cannot open the file");
  FileStream stream(file);
  if (!ReadCut(cut, stream, prototype, error)) return false;
  cut.SetPath(path);
  return true;
}
