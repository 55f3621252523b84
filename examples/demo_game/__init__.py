"""The demo game: world, player control, scripted tour, sound, HUD and menu."""
