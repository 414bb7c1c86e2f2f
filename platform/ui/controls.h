#pragma once
// The standard controls of the web UI, named and used as the designer's
// units use them (lblF1A->SetCaption(...), grid->Cells(col, row),
// memoLog->Lines().Add(...)): the one header the application includes. Each
// family of controls has its own header.
//
// Each class declares its properties once, in its property table (the names
// the browser runtime and the form definitions use), takes the browser
// events that make sense for it and offers its events by name for the
// definitions to bind.
//
// Rules all of them follow:
// - A property written by code is sent to the browser; a value that came from
//   the browser is stored before any handler runs and is not sent back.
// - Change events (OnChange, OnSelectCell, ...) run only for changes the user
//   made in the browser, never for writes from code.
// - Values from the browser are checked (type, range, the item really being
//   offered); anything else is refused and logged.
// - Non-visual components (timers, popup menus and their items, image lists,
//   the upload window) are controls too, so that they are part of the
//   rendered tree; where they sit on the form does not matter for the events
//   they take (ticks, menu choices, uploads), only that their form is shown.
#include "platform/ui/component.h"
#include "platform/ui/control_font.h"
#include "platform/ui/controls_buttons.h"
#include "platform/ui/controls_containers.h"
#include "platform/ui/controls_grids.h"
#include "platform/ui/controls_inputs.h"
#include "platform/ui/controls_lists.h"
#include "platform/ui/controls_media.h"
#include "platform/ui/controls_menus.h"
#include "platform/ui/controls_nonvisual.h"
#include "platform/ui/controls_trees.h"
#include "platform/ui/controls_uploads.h"
#include "platform/ui/form.h"

namespace plat::ui {

// Registers every standard control class with the form loader.
void RegisterStandardControls();

}  // namespace plat::ui
