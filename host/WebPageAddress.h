#pragma once
// The product's home page: the caption of the configure dialog's home-page button and the
// address that button opens. A plain macro, because the resource compiler reads it too.
#define VELLUMAR_HOME_PAGE_ADDRESS "http://www.example.com/vellumar/"
