// A loaded document keeps its own copy of the gradients its shapes refer to,
// so that redrawing it never sees another file's gradients.
#pragma once

#include <string>

struct GradientDef;
struct GradientRegistry;
struct SvgDocument;

// Copies the gradients of the load's table that the document's records (its
// masks' and pattern tiles' included) refer to.
void CopyReferencedGradients(const GradientRegistry* gradients, SvgDocument* document);
void ReleaseDocumentGradients(SvgDocument* document);
const GradientDef* FindDocumentGradient(const SvgDocument* document, const std::wstring& id);
