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
    return RoleContainer;
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
