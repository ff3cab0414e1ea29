// Ids of the product information page (dialog 129).
#pragma once
