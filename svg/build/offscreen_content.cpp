#include "svg/build/offscreen_content.h"

#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/style/presentation.h"
#include "svg/xml/xml_tree.h"

StyleState InheritedContentState(WalkContext* context, const XmlNode* container) {
    StyleState state = StyleState();
    InitRootStyleState(&state);
    DocumentViewportSize(context->document, &state.viewportWidth, &state.viewportHeight);
    ApplyPresentationDownTo(context->load, container, &state);
    state.opacity = 1;
    state.displayNone = 0;
    state.clip = 0;
    state.group = 0;
    IdentityMatrix(&state.matrix);
    return state;
}

RecordsAside::RecordsAside(SvgDocument* d) : document(d), own(), returned(false) {
    SwapRecords(document, &own);
    bounds = d->content;
}

void RecordsAside::Return(RecordList* content) {
    SwapRecords(document, &own);
    *content = own;
    own = RecordList();
    document->content = bounds;
    returned = true;
}

RecordsAside::~RecordsAside() {
    if (returned)
        return;
    RecordList walked = RecordList();
    Return(&walked);
    ReleaseRecords(&walked);
}
