// Ids of the file list page (dialog 138).
#pragma once
