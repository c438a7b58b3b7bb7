#!/usr/bin/env bash
# Under a black button face, as Windows' High Contrast Black has it, Restore still gives the
# form a full rectangle of its size: CutEARTH's "&Restore" gives its design size and "&Earth"
# shapes it again, and a host that is not ours (a container without Parent) gets a full
# rectangle too. A GIF's transparent pixels are cut and its black ones kept, whatever the
# button face. The colour scheme is set in a Wine session of the test's own.
#   high_contrast_test.sh <CutEARTH.exe> <Cutshape.ocx> <xshape.py> <window_texts.exe>
#                         <control_host.exe>
if [[ -z "${CUTSHAPE_OWN_SESSION:-}" ]]; then
  unset WINEPREFIX DISPLAY CUTSHAPE_SESSIONS CTEST_RESOURCE_GROUP_0_WINE
  export CUTSHAPE_OWN_SESSION=1
fi
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
program=$1 library=$2 xshape=$3 host=$5
source "$e2e_dir/demo_lib.sh"
register_control "$library"
win_reg add 'HKCU\Control Panel\Colors' /v ButtonFace /t REG_SZ /d "0 0 0" /f >/dev/null ||
  fail "cannot make the button face black"

full_rectangle() { [[ "$(shape_rects "$1")" == "0 0 $2 $3" ]]; }
scaled_figure "$(dirname "$program")/Earth.gif" "$work/earth.bmp"
read -r picture_width picture_height < <(identify -format '%w %h\n' "$work/earth.bmp")
start_program earth.out "$program"
id=$(wait_window Form1 "$started") || fail "no window 'Form1'"
# cmdRestore at (2520, 1305) twips and cmdEarth at (2520, 765): pixels (194, 103) and (194, 67).
click_at "$id" "$(px 194)" "$(px 103)"
eventually 10 full_rectangle "$id" "$(twips_px 4680)" "$(twips_px 3180)" ||
  fail "CutEARTH's Restore under a black button face: $(shape_rects "$id" | head -2 | tr '\n' ';')"
echo "ok: CutEARTH's Restore gives the design size and a full rectangle under a black button face"
click_at "$id" "$(px 194)" "$(px 67)"
eventually 10 shaped_as "$id" "$work/earth.bmp" auto "$picture_width" "$picture_height" ||
  fail "&Earth did not shape the restored window again"
echo "ok: &Earth shapes it again"

make_figure "$work/figure.bmp"
start_program host.out "$host" "$(windows_path "$library")" "$(windows_path "$work/figure.bmp")" \
  --title Host --mask 0xFFFFFF --borderless --container no-parent
form=$(find_window Host host.out "$started") || fail "the host's form did not show"
geometry "$form"
xdotool mousemove $((X + 80)) $((Y + 20)) click 3
eventually 10 grep -q '^restored' "$work/host.out" || fail "the host's Restore failed"
read -r _ width height < <(grep '^restored' "$work/host.out" | tr -d '\r')
eventually 10 full_rectangle "$form" "$width" "$height" ||
  fail "a host without Parent: Restore left $(shape_rects "$form" | head -2 | tr '\n' ';')"
echo "ok: a host without Parent gets a full rectangle of ${width}x${height} from Restore"

# The same figure as a GIF whose white is its transparent colour: with the mask colour taken
# from its (transparent) top-left pixel, only the transparent pixels are cut, and the black
# pixel at (190, 120) stays in the outline.
convert "$work/figure.bmp" -transparent white "$work/figure.gif"
start_program gif.out "$host" "$(windows_path "$library")" "$(windows_path "$work/figure.gif")" \
  --title GifHost --mask auto --borderless --container no-parent
gif_form=$(find_window GifHost gif.out "$started") || fail "the GIF host's form did not show"
eventually 10 shaped_as "$gif_form" "$work/figure.bmp" 0xFFFFFF ||
  fail "a transparent GIF under a black button face: $("$xshape" compare "$gif_form" "$work/figure.bmp" 0xFFFFFF 2>&1 | tail -3)"
echo "ok: a GIF's transparent pixels are cut and its black ones kept under a black button face"
