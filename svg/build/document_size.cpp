// The drawing's size: the viewBox, width, height and preserveAspectRatio of
// the root element.
#include "svg/build/document_size.h"

#include <string>

#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/records/document.h"
#include "svg/values/lengths.h"
#include "svg/xml/xml_tree.h"

// Four numbers; a missing one reads as 0, and reading goes on only from a
// position past the current one.
static void ScanViewBox(const std::wstring& text, float values[4]) {
    int position = 1;
    for (int i = 0; i < 4; i++) {
        int next = ScanNumber(text, position, &values[i]);
        if (next > position)
            position = next;
    }
}

static void SetViewBox(SvgDocument* document, float x, float y, float width, float height) {
    document->viewBoxX = x;
    document->viewBoxY = y;
    document->viewBoxWidth = width;
    document->viewBoxHeight = height;
    document->hasViewBox = 1;
}

// A width or height of the root in pixels; a percentage is of a size the
// file does not know, and gives none.
static float RootSize(const std::wstring& text) {
    if (IsPercentage(text))
        return 0;
    const LengthBasis basis = {DefaultFontSize, 0, 0};
    return ResolveLength(text, basis, LengthHorizontal);
}

// The drawing's viewBox and size from the root element. Without a usable
// viewBox, one is derived from the width and height, a missing side copying
// the other.
void ReadDocumentSize(const XmlNode* root, SvgDocument* document) {
    document->viewBoxX = document->viewBoxY = 0;
    document->viewBoxWidth = document->viewBoxHeight = 0;
    document->width = document->height = 0;
    document->hasViewBox = 0;
    document->aspect = ParseAspectRatio(XmlAttribute(root, L"preserveAspectRatio"));
    std::wstring viewBox = TrimWhiteSpace(XmlAttribute(root, L"viewBox"));
    if (!viewBox.empty()) {
        float v[4] = {0, 0, 0, 0};
        ScanViewBox(viewBox, v);
        if (v[2] > 0 && v[3] > 0)
            SetViewBox(document, v[0], v[1], v[2], v[3]);
    }
    document->width = RootSize(XmlAttribute(root, L"width"));
    document->height = RootSize(XmlAttribute(root, L"height"));
    if (document->hasViewBox)
        return;
    if (document->width > 0 && document->height > 0) {
        SetViewBox(document, 0, 0, document->width, document->height);
    } else if (document->width > 0) {
        document->height = document->width;
        SetViewBox(document, 0, 0, document->width, document->width);
    } else if (document->height > 0) {
        document->width = document->height;
        SetViewBox(document, 0, 0, document->height, document->height);
    }
}
