#include "report/render/metafile.h"

namespace talven {

void PlayMetafile(Canvas&, const TfrRect&, const TfrGraphic&) {}

}  // namespace talven
