// Dialogs of pages whose templates are still to come: the page list names
// them already so that every position has its dialog. A page that arrives
// moves its id into an ids file of its own.
#pragma once

#define IDD_DELIVERY_OPTIONS    141
#define IDD_OUTPUT_LANGUAGE     333
