# Which folders each layer may include from. Dependencies point one way: from the programs down
# to the core. A folder not listed here (tests, tools, benchmarks) may include anything.
set(CUTSHAPE_LAYERS core forms win runtime container control demos)
set(CUTSHAPE_LAYER_core_MAY_USE core)
set(CUTSHAPE_LAYER_forms_MAY_USE core forms)
set(CUTSHAPE_LAYER_win_MAY_USE core win)
set(CUTSHAPE_LAYER_runtime_MAY_USE core win runtime)
set(CUTSHAPE_LAYER_container_MAY_USE core forms win runtime container)
# The control runs inside other programs' containers and must never reach the project's own.
set(CUTSHAPE_LAYER_control_MAY_USE core win runtime control)
set(CUTSHAPE_LAYER_demos_MAY_USE core forms win runtime container demos)
