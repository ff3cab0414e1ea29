// Ids of the welcome page (dialog 102).
#pragma once
