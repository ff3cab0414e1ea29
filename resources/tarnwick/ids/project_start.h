// Ids of the project start page (dialog 166).
#pragma once
