// SPDX-License-Identifier: GPL-3.0-or-later
// The program of a layer's link check: nothing runs, it only has to link.
int main()
{
    return 0;
}
