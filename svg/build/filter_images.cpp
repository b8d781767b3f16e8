// The records an feImage draws, walked from the element it names.
#include "svg/build/filter_images.h"

#include <algorithm>
#include <string>
#include <vector>

#include "svg/build/images.h"
#include "svg/build/offscreen_content.h"
#include "svg/build/walk_context.h"
#include "svg/build/walker.h"
#include "svg/records/offscreen_groups.h"
#include "svg/style/style.h"
#include "svg/xml/xml_tree.h"

int AddFilterImage(WalkContext* context, const XmlNode* target, const Matrix2D& matrix, float x,
                   float y, float viewportWidth, float viewportHeight) {
    std::vector<const XmlNode*>& busy = context->imagesInProgress;
    if (busy.size() >= MaxFilterImageNesting ||
        std::find(busy.begin(), busy.end(), target) != busy.end())
        return 0;
    StyleState state = InheritedContentState(context, XmlParent(target));
    state.matrix = ComposeMatrix(matrix, Matrix2D{1, 0, 0, 1, x, y});
    FilterImage image = FilterImage();
    busy.push_back(target);
    {
        RecordsAside aside(context->document);
        WalkOneElement(context, target, state, viewportWidth, viewportHeight);
        aside.Return(&image.content);
    }
    busy.pop_back();
    return AddDocumentFilterImage(context->document, &image);
}

int AddFilterImageOfFile(WalkContext* context, const XmlNode* feImage, const StyleState& state,
                         const Matrix2D& matrix, const float rect[4]) {
    int number = 0;
    GfxPath* path = BuildImageInRect(context, feImage, state, rect, &number);
    if (!path)
        return 0;
    StyleState placed = state;
    placed.matrix = matrix;
    placed.opacity = 1;
    placed.clip = 0;
    placed.group = 0;
    FilterImage image = FilterImage();
    {
        RecordsAside aside(context->document);
        CommitImage(context, path, placed, number, std::wstring());
        aside.Return(&image.content);
    }
    return AddDocumentFilterImage(context->document, &image);
}
