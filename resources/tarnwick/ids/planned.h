// Dialogs of pages whose templates are still to come: the page list names
// them already so that every position has its dialog. A page that arrives
// moves its id into an ids file of its own.
#pragma once

#define IDD_SHORTCUTS           149
#define IDD_ENVIRONMENT         161
#define IDD_REGISTRY            167
#define IDD_SERVICES            331
#define IDD_REGISTRY_KEY        168
