// Ids of the option hub (dialog 330).
#pragma once
