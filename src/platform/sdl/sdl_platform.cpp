// The real front end's platform services (SDL window, renderer, panels, sound).
namespace velmor::platform::sdl {}
