// The whole toolkit in one include.
#pragma once

#include "forms/application.h"
#include "forms/automation.h"
#include "forms/backend.h"
#include "forms/button.h"
#include "forms/component.h"
#include "forms/control.h"
#include "forms/control_collection.h"
#include "forms/display_list.h"
#include "forms/drawing.h"
#include "forms/events.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "forms/table_layout_panel.h"
#include "forms/text.h"
#include "forms/text_backend.h"
