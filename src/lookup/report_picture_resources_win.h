#pragma once

#include "lookup/report_pictures.h"

namespace quillcrest {

// The report's three pictures as the executable carries them (RCDATA resources named after the files); a picture
// the executable lacks is left out, and the report then shows no picture in its place.
PictureContainer LoadReportPictures();

}  // namespace quillcrest
