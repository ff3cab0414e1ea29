// Ids of the panel configuration (dialog 332).
#pragma once
