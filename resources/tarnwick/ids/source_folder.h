// Ids of the source folder page (dialog 130).
#pragma once
