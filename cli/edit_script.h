#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

class Cut;

// Runs an editing script on the cut as the editor's tools and commands would:
//   { "frame": 1, "entry": K, "pen": {"shape": 7, "density": 0, "colorA": 0, "colorB": 1},
//     "mask": 0, "ops": [ {"op": "...", ...}, ... ] }
// "frame" is counted from 1 (default 1), "entry" from 0 (default the top entry). Points are
// [x, y] and rectangles [x, y, width, height] in the current cell's coordinates; where a
// "rect" is optional it is the selection, absent the whole cell. Frame numbers in "goFrame"
// and the runs' "end" count from 1. Ops:
//   pen {shape?, density?, colorA?, colorB?}, mask {value}, squarePen;
//   stamp {at}, line {from, to}, curve {points: four points}, rect {rect, filled?},
//   guideLine {from, to}, freePen {points, smoothingSkip? (default true)} (the free pen
//   dragged through the points);
//   fill {at} (the fill tool's click), gradation {from, fromPen, to} (the end pen is the
//   current pen; fromPen's missing fields come from it), pickPen {at} (into the current pen);
//   border {rect}, mosaic {rect, block} (the drag from the rectangle's first to its last
//   pixel), randomDots {rect?, interval}, grid {rect?, size: [w, h]}, eraser {at, size},
//   transfer {at, pixels: rows of hex digits}, text {at, text, font? ("Sans"), size? (24),
//   weight? (400), lineSpacing? (12)} (the text tool's block: UTF-8 lines separated by CR LF,
//   in a font of the system's; not in orvina.exe);
//   moveRegion {rect, to} (a selection dragged so that its corner lands on "to"),
//   copyRegion {rect}, cutRegion {rect}, paste {at} (through the script's paste buffer);
//   toUnderdrawing, eraseUnderdrawing, clear, flipH, flipV (each {rect?}), copyToLayerBelow,
//   undo, eraseLayerUnderdrawing;
//   addFrame, insertFrame, removeFrame, addFrames {count}, removeFrames {count},
//   goFrame {to: "first" | "last" | "next" | "previous" | "nextKeyframe" |
//   "previousKeyframe" | N}, frameProps {time?, loop?, keyframe?, brightness?, comment?},
//   allKeyframes, framePosition {to}, brightnessRun / framePositionRun / layerPositionRun
//   {end};
//   setLayer {entry}, cell {to: "next" | "previous" | "first" | "last"}, addCell, insertCell,
//   removeCell, toggleEmpty, toggleEmptyAll, layerPosition {to}, addLayer / insertLayer
//   {name?, size?, at?} (size default the canvas; without "at" centred), layerProps {name?,
//   size?, followFrame?}, layerUp, layerDown, removeLayer, removeUnusedLayers.
// Tools record the undo snapshot before they draw, as in the editor. Every step is checked
// before the first one runs; a malformed step throws CliError naming the script and the step.
// A refused step changes nothing and the script goes on. Returns one JSON line for each
// pickPen step: {"step": index, "pen": {...}} or "pen": null when nothing was picked.
std::vector<std::string> ApplyEditScript(Cut& cut, const nlohmann::json& script,
                                         const std::string& file);
