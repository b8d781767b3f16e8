// Content drawn offscreen (a mask's, a pattern tile's): walked into records
// of its own while the document's records are held aside, with the
// properties it inherits from where it stands in the file.
#pragma once

#include "svg/records/offscreen_groups.h"
#include "svg/style/style.h"

struct SvgDocument;
struct WalkContext;
struct XmlNode;

// The state the container's children start from: the properties of the
// container and its ancestors (not of the element that uses it), at full
// opacity, displayed, in no offscreen group and no clip, identity matrix.
StyleState InheritedContentState(WalkContext* context, const XmlNode* container);

// Holds the document's own records aside while content is walked into its
// records, and gives them back however the walk ends.
struct RecordsAside {
    SvgDocument* document;
    RecordList own;
    Bounds bounds; // the document's content bounds, given back with its records
    bool returned;
    explicit RecordsAside(SvgDocument* document);
    ~RecordsAside();
    // Gives the document its records back and the walked ones to *content.
    void Return(RecordList* content);
    RecordsAside(const RecordsAside&) = delete;
    RecordsAside& operator=(const RecordsAside&) = delete;
};
