function headless_plots ()
  % HEADLESS_PLOTS  Draw figures off screen with gnuplot, so the demos run without a display.
  warning ("off", "Octave:gnuplot-graphics");
  graphics_toolkit ("gnuplot");
end
