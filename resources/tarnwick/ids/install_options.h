// Ids of the installation options page (dialog 139).
#pragma once
