// Ids of the splash (dialog 266).
#pragma once
