// Element roles: which elements the walker draws, walks into or leaves out.
#include "svg/build/element_roles.h"

#include <string>

#include "svg/base/strings.h"
#include "svg/xml/xml_tree.h"

namespace {

struct RoleEntry {
    const wchar_t* name; // lower case
    ElementRole role;
};

// Clip paths, masks, patterns, markers and symbols are drawn only where they
// are referenced, gradients only as paint.
const RoleEntry RoleTable[] = {
    {L"rect", RoleRect},
    {L"circle", RoleCircle},
    {L"ellipse", RoleEllipse},
    {L"line", RoleLine},
    {L"polyline", RolePolyline},
    {L"polygon", RolePolygon},
    {L"path", RolePath},
    {L"g", RoleContainer},
    {L"a", RoleContainer},
    {L"svg", RoleSvg},
    {L"symbol", RoleSymbol},
    {L"use", RoleUse},
    {L"switch", RoleSwitch},
    {L"clippath", RoleClipPath},
    {L"defs", RoleSkipped},
    {L"title", RoleSkipped},
    {L"desc", RoleSkipped},
    {L"metadata", RoleSkipped},
    {L"style", RoleSkipped},
    {L"script", RoleSkipped},
    {L"mask", RoleSkipped},
    {L"pattern", RoleSkipped},
    {L"marker", RoleSkipped},
    {L"lineargradient", RoleSkipped},
    {L"radialgradient", RoleSkipped},
    {L"foreignobject", RoleSkipped},
    {L"text", RoleText},
    {L"image", RoleImage},
};

// The other elements of SVG 1.1 and 2 (lower case), walked as groups. Any
// name neither here nor in RoleTable is one that SVG does not define (an
// editor's flowed text, a typo), of which browsers draw nothing.
const wchar_t* const OtherSvgNames[] = {
    L"altglyph",
    L"altglyphdef",
    L"altglyphitem",
    L"animate",
    L"animatecolor",
    L"animatemotion",
    L"animatetransform",
    L"color-profile",
    L"cursor",
    L"discard",
    L"feblend",
    L"fecolormatrix",
    L"fecomponenttransfer",
    L"fecomposite",
    L"feconvolvematrix",
    L"fediffuselighting",
    L"fedisplacementmap",
    L"fedistantlight",
    L"fedropshadow",
    L"feflood",
    L"fefunca",
    L"fefuncb",
    L"fefuncg",
    L"fefuncr",
    L"fegaussianblur",
    L"feimage",
    L"femerge",
    L"femergenode",
    L"femorphology",
    L"feoffset",
    L"fepointlight",
    L"fespecularlighting",
    L"fespotlight",
    L"fetile",
    L"feturbulence",
    L"filter",
    L"font",
    L"font-face",
    L"font-face-format",
    L"font-face-name",
    L"font-face-src",
    L"font-face-uri",
    L"glyph",
    L"glyphref",
    L"hkern",
    L"missing-glyph",
    L"mpath",
    L"set",
    L"stop",
    L"textpath",
    L"tref",
    L"tspan",
    L"view",
    L"vkern",
};

// Elements of another namespace (an editor's private data, embedded XHTML)
// are never drawn, nor is anything inside them.
bool IsForeignElement(const XmlNode* element) {
    return XmlElementNamespace(element) == XmlOtherNamespace;
}

// Element names match in any case; a prefix bound to the SVG namespace
// («svg:rect») names the SVG element.
ElementRole RoleOfName(const std::wstring& localName) {
    for (const RoleEntry& entry : RoleTable) {
        if (LowerTextIs(localName, entry.name))
            return entry.role;
    }
    for (const wchar_t* name : OtherSvgNames) {
        if (LowerTextIs(localName, name))
            return RoleContainer;
    }
    return RoleUnknown;
}

} // namespace

// The role of the name is kept with it (plus one: 0 is "not yet known").
ElementRole RoleOf(const XmlNode* element) {
    if (IsForeignElement(element))
        return RoleSkipped;
    if (int note = XmlNameNote(element))
        return static_cast<ElementRole>(note - 1);
    ElementRole role = RoleOfName(XmlLocalName(element));
    XmlSetNameNote(element, role + 1);
    return role;
}

bool IsShapeElement(const XmlNode* element) {
    return RoleOf(element) >= RoleRect;
}

bool IsUseElement(const XmlNode* element) {
    return RoleOf(element) == RoleUse;
}
