// ImageList1: the eight 16 x 16 pictures of the organisation tree, drawn by
// the program. Index 2k+1 is level k's picture, index 2k the same picture
// selected: 1/0 the exam authority, 3/2 a province, 5/4 a city, 7/6 a test
// centre.
#pragma once

#include <QPixmap>
#include <vector>

namespace talven {

std::vector<QPixmap> MakeTreeImages();

}  // namespace talven
