#pragma once
// The kinds of design object the program has, each described once: the
// classes the object stream may name and how to make one for reading, and
// the drawing tools that make it on the card, with everything the main
// window shows for a tool (palette button, its picture and hint, the entry of
// the Insert menu). The stream reader, the card panel and the main window all
// take what they need from here, so a new kind is one RegisterObjectKind call
// in the kind's own source (and one call of that function in
// RegisterDesignClasses).
//
//     RegisterObjectKind({
//         .classes = { { "TGThing", [] { return new TGThing; } } },
//         .tools = { { .button = "DrawThingButton", .hint = "Thing tool", .menuCaption = "&Thing",
//                      .drawIcon = drawThing, .group = 4, .order = 130,
//                      .create = [](TGBusinessCardPanel32& panel, const TRect& r) { ... } } },
//     });
#include "surface/ClassRegistry.h"
#include "surface/Drawing.h"

#include <QString>
#include <functional>
#include <vector>

class QPainter;

namespace bv {

class TGBusinessCardPanel32;

// Creates one object of a tool's kind in r (already widened to the minimum
// band size) and runs that kind's first-edit step.
using ObjectCreator = std::function<void(TGBusinessCardPanel32& panel, const TRect& r)>;

// One class the object stream may name.
struct TObjectClass {
    QString name = {};     // the stream's class name ("TGImage")
    ObjectFactory factory = {}; // a new, unparented object for the reader
};

// A drawing tool of the palette.
struct TObjectTool {
    // The panel state the tool sets (TLPanelState); -1 lets the registry
    // give the next free number after the ones already taken.
    int state = -1;
    // Object name of the palette button (tests and the what's-this help find
    // it by this name).
    const char* button = "";
    // Tooltip and what's-this text; a carriage return breaks the line.
    QString hint = {};
    // The entry of the Insert menu; empty for none.
    QString menuCaption = {};
    // The button's picture: a drawing on a 24 × 24 grid, or else the name of
    // one of the main window's own pictures.
    std::function<void(QPainter&)> drawIcon = {};
    QString iconName = {};
    // Buttons of one group stand together; a gap separates groups. Within
    // the palette tools go by `order`, then by registration.
    int group = 0;
    int order = 0;
    ObjectCreator create = {};
};

struct TObjectKind {
    std::vector<TObjectClass> classes = {};
    std::vector<TObjectTool> tools = {};
};

// Registers the kind's classes with the stream reader and its tools with
// the palette. A class or tool state registered again replaces the earlier
// one, so running the registrations twice changes nothing.
void RegisterObjectKind(TObjectKind kind);

// Every registered tool, in palette order.
std::vector<TObjectTool> RegisteredTools();
// The tool that sets `state`, or nullptr.
const TObjectTool* FindTool(int state);

} // namespace bv
