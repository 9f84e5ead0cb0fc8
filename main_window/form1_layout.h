#pragma once
// The main window's layout table: the operator panel and the hidden service
// controls, as the form designer keeps them.
#include "gui/layout.h"

const gui::FormLayout &Form1Layout();
