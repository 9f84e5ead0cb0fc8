#pragma once
// The display test window's layout table, as the form designer keeps it.
#include "gui/layout.h"

const gui::FormLayout &Form2Layout();
