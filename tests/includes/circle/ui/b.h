// The other half: b includes a, a includes b.
#pragma once
