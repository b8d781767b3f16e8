// What the walker does with an element, by its name.
#pragma once

struct XmlNode;

enum ElementRole {
    RoleContainer, // walked with its state: g, a and the SVG elements not drawn otherwise
    RoleSkipped,   // nothing inside is drawn
    RoleUnknown,   // a name SVG does not define: neither it nor its content is drawn
    RoleSvg,       // a viewport
    RoleSymbol,    // a viewport, drawn only through use
    RoleUse,
    RoleSwitch,
    RoleClipPath, // drawn only as a clip
    RoleText,     // lays out its own content
    RoleImage,    // fills its rectangle with a picture
    RoleRect,
    RoleCircle,
    RoleEllipse,
    RoleLine,
    RolePolyline,
    RolePolygon,
    RolePath,
};

// The element's role; names match in any case, and elements of another
// namespace are skipped.
ElementRole RoleOf(const XmlNode* element);
// Whether the element is one of the seven shapes, or a use.
bool IsShapeElement(const XmlNode* element);
bool IsUseElement(const XmlNode* element);
