# The page-turn scenarios are played again, unchanged, in games that tell of
# a closing menu in other orders: natively through LUMORA_SCENARIO_MENU_ORDER,
# under Wine through halcyra_sim's --menu-order (hostsim/menus.h).
set(LUMORA_MENU_ORDER_SCENARIOS results_pages_turn_and_choose results_pages_turn_and_close)
set(LUMORA_MENU_ORDERS late-leave second-close late-leave,second-close)
