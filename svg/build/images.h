// The «image» element: what it shows, read and decoded while the file loads,
// and the rectangle it fills.
#pragma once

#include <string>

struct GfxPath;
struct StyleState;
struct WalkContext;
struct XmlNode;

// Reads the element's image into the document and returns the rectangle it
// fills (in the element's user space) as a new path, with the image's
// number in *image; null when it draws nothing. An image that cannot be
// had (refused, missing, undecodable, too large or nested too deep) is
// counted with the images not drawn.
GfxPath* BuildImage(WalkContext* context, const XmlNode* element, const StyleState& state,
                    float viewportWidth, float viewportHeight, int* image);

// The same for an element that names a file or data: URI with href and
// places it in the rectangle (x, y, width, height) as its
// preserveAspectRatio says, whatever its own size: what feImage draws.
GfxPath* BuildImageInRect(WalkContext* context, const XmlNode* element, const StyleState& state,
                          const float rect[4], int* image);

// Commits the path as the record the image fills, faded by the state's
// opacity, and takes the path and the id.
void CommitImage(WalkContext* context, GfxPath* path, const StyleState& state, int image,
                 std::wstring id);
